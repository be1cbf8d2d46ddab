// A DLL that an attacker might leave beside BoreluSetup.exe under a system DLL's name. Loaded, it
// leaves a mark beside itself ("<its file name>.loaded") and refuses to load.

#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
  if (reason != DLL_PROCESS_ATTACH) {
    return TRUE;
  }
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  const std::wstring mark = std::wstring(path, length) + L".loaded";
  const HANDLE file =
      CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
  }
  return FALSE;
}

// Test double of the release's "Borelu.exe": a small Windows program of its own, so that a test
// release has three distinct signed files of realistic size. With "--run-for MILLISECONDS" it
// stays running that long before it exits, as an application that the user closes a moment later.
// Started without arguments, as setup starts the installed application, it leaves a line with its
// own path and the folder it was started in ("<path> started in <folder>") in
// "%TEMP%\borelu-application-launches.log", so a test can tell it was started, and where.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring_view(argv[1]) == L"--run-for") {
    Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    return 0;
  }
  if (argc == 1) {
    wchar_t temp[MAX_PATH + 1] = {};
    wchar_t self[MAX_PATH + 1] = {};
    wchar_t current[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
    GetCurrentDirectoryW(MAX_PATH + 1, current);
    if (length > 0 && length <= MAX_PATH) {
      const std::wstring log = std::wstring(temp) + L"borelu-application-launches.log";
      if (FILE* file = _wfopen(log.c_str(), L"a")) {
        std::fwprintf(file, L"%ls started in %ls\n", self, current);
        std::fclose(file);
      }
    }
    return 0;
  }
  std::printf("Borelu test double, %d argument(s)\n", argc - 1);
  for (int i = 1; i < argc; ++i) {
    std::wprintf(L"  %ls\n", argv[i]);
  }
  return 0;
}

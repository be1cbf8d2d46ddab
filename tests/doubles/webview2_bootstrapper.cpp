// Test double of Microsoft's WebView2 bootstrapper, embedded in test builds (signed at build
// time). Started with "/silent /install" it registers a runtime the way the runtime's installer
// does: "pv" under the 32-bit view of the machine-wide client key. Other arguments are refused
// with exit code 2 and nothing registered. Tests choose other outcomes through
// BORELU_TEST_BOOTSTRAPPER:
//   (unset)           registers 120.0.2210.91, exit 0
//   present-exit-5    registers, then exit 5
//   absent-exit-0     registers nothing, exit 0
//   zero-version      registers 0.0.0.0 (what an uninstalled runtime leaves), exit 0
//   sandbox           "InstallerError" 11 in the client-state key, exit 0x80040902
// With BORELU_TEST_REPORT_FOLDER it also reports how it was started (helper_context.h).

#include <windows.h>

#include <string>
#include <string_view>

#include "helper_context.h"
#include "webview2/runtime_version.h"

namespace {

using borelu::webview2::CLIENT_KEY;
using borelu::webview2::STATE_KEY;

std::wstring mode() {
  wchar_t value[64] = {};
  const DWORD length = GetEnvironmentVariableW(L"BORELU_TEST_BOOTSTRAPPER", value, 64);
  return length > 0 && length < 64 ? std::wstring(value, length) : std::wstring();
}

bool set_value(std::wstring_view key_path, const wchar_t* name, DWORD type, const void* data,
               DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, std::wstring(key_path).c_str(), 0, nullptr, 0,
                      KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool done =
      RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return done;
}

bool register_runtime(std::wstring_view version) {
  const std::wstring text(version);
  return set_value(CLIENT_KEY, L"pv", REG_SZ, text.c_str(),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 || std::wstring_view(argv[1]) != L"/silent" ||
      std::wstring_view(argv[2]) != L"/install") {
    return 2;
  }
  borelu::doubles::report_helper_context();
  const std::wstring behaviour = mode();
  if (behaviour == L"absent-exit-0") {
    return 0;
  }
  if (behaviour == L"zero-version") {
    return register_runtime(L"0.0.0.0") ? 0 : 3;
  }
  if (behaviour == L"sandbox") {
    const DWORD code = 11;
    set_value(STATE_KEY, L"InstallerError", REG_DWORD, &code, sizeof code);
    return static_cast<int>(0x80040902u);
  }
  if (!register_runtime(L"120.0.2210.91")) {
    return 3;
  }
  return behaviour == L"present-exit-5" ? 5 : 0;
}

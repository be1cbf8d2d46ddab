#pragma once

// For tests of how the worker starts its helpers: with BORELU_TEST_REPORT_FOLDER set, a double
// writes "<folder>\<its file name>.txt", one "name=value" line each: its current folder, TEMP,
// TMP and PATH, and "inherited=" with the final path of the handle whose number
// BORELU_TEST_INHERITED gives (a handle the test made inheritable before it started the worker),
// or "none" when this process has no such file handle.

#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

namespace borelu::doubles {

inline std::wstring environment_value(const wchar_t* name) {
  wchar_t value[32768];
  const DWORD length = GetEnvironmentVariableW(name, value, 32768);
  return length > 0 && length < 32768 ? std::wstring(value, length) : std::wstring();
}

inline std::wstring inherited_file() {
  const std::wstring number = environment_value(L"BORELU_TEST_INHERITED");
  if (number.empty()) {
    return L"none";
  }
  const auto handle = reinterpret_cast<HANDLE>(std::wcstoull(number.c_str(), nullptr, 10));
  wchar_t path[MAX_PATH];
  const DWORD length = GetFinalPathNameByHandleW(handle, path, MAX_PATH, FILE_NAME_NORMALIZED);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : L"none";
}

inline void report_helper_context() {
  const std::wstring folder = environment_value(L"BORELU_TEST_REPORT_FOLDER");
  if (folder.empty()) {
    return;
  }
  wchar_t own[MAX_PATH];
  const DWORD own_length = GetModuleFileNameW(nullptr, own, MAX_PATH);
  const std::wstring own_path(own, own_length);
  wchar_t current[MAX_PATH];
  const DWORD current_length = GetCurrentDirectoryW(MAX_PATH, current);
  const std::wstring report = L"folder=" + std::wstring(current, current_length) + L"\nTEMP=" +
                              environment_value(L"TEMP") + L"\nTMP=" + environment_value(L"TMP") +
                              L"\nPATH=" + environment_value(L"PATH") + L"\ninherited=" +
                              inherited_file() + L"\n";
  const std::wstring path =
      folder + L"\\" + own_path.substr(own_path.find_last_of(L'\\') + 1) + L".txt";
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return;
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, report.data(), static_cast<int>(report.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, report.data(), static_cast<int>(report.size()), bytes.data(),
                      size, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace borelu::doubles

#pragma once

// Points one of the user's shell folders elsewhere for the length of a test, as Windows' folder
// redirection (or OneDrive's known-folder move) does: the value in the user's "User Shell
// Folders" key, which Wine reads each time a known folder is asked for. The old value (or its
// absence) comes back when the redirection ends, as other tests share the prefix.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "win/text.h"

namespace borelu::testing {

inline const wchar_t* const USER_SHELL_FOLDERS =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

class RedirectedShellFolder {
 public:
  explicit RedirectedShellFolder(const wchar_t* name) : name_(name) {
    wchar_t value[1024];
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, USER_SHELL_FOLDERS, name_,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type_, value,
                     &size) == ERROR_SUCCESS) {
      saved_ = value;
    }
  }
  ~RedirectedShellFolder() {
    if (saved_) {
      set(*saved_, type_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, USER_SHELL_FOLDERS, name_);
    }
  }
  RedirectedShellFolder(const RedirectedShellFolder&) = delete;
  RedirectedShellFolder& operator=(const RedirectedShellFolder&) = delete;

  void point_to(const std::string& folder) { set(win::widen(folder), REG_EXPAND_SZ); }

 private:
  void set(const std::wstring& value, DWORD type) {
    EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, USER_SHELL_FOLDERS, name_, type, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  const wchar_t* name_;
  DWORD type_ = REG_EXPAND_SZ;
  std::optional<std::wstring> saved_;
};

}  // namespace borelu::testing

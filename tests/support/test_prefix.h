#pragma once

// What the Wine test prefix provides the Windows tests: its user, its temporary folder and the
// fixture files, and reading files back for a check.

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "crypto/sha256.h"
#include "process_runner.h"
#include "win/files.h"
#include "win/text.h"

namespace borelu::testing {

// The user every program of the prefix runs as.
inline const std::string OWNER_SID = "S-1-5-21-0-0-0-1000";

// `name` in the prefix's temporary folder.
inline std::string temp_folder(const std::string& name) {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  return win::narrow(std::wstring_view(buffer, length)) + name;
}

inline std::string read_text(const std::string& path) {
  return win::read_whole_file(path).value_or("<unreadable>");
}

// A file of tests/fixtures.
inline std::string fixture_text(const std::string& name) {
  return read_text(win::narrow(program_path("BORELU_FIXTURES_DIR")) + "\\" + name);
}

// The SHA-256 of a file's content as 64 lower-case hex digits, or "<absent>".
inline std::string file_sha256(const std::string& path) {
  const auto bytes = win::read_whole_file(path);
  return bytes ? crypto::sha256_hex(
                     {reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size()})
               : "<absent>";
}

// The user's folder of staging folders, "LOCALAPPDATA\BoreluTauri\updates".
inline std::string updates_folder() {
  wchar_t value[MAX_PATH] = {};
  GetEnvironmentVariableW(L"LOCALAPPDATA", value, MAX_PATH);
  return win::narrow(value) + "\\BoreluTauri\\updates";
}

// The names of the staging folders there now.
inline std::vector<std::string> staging_folders() {
  std::vector<std::string> found;
  std::error_code ignored;
  for (const auto& entry :
       std::filesystem::directory_iterator(win::widen(updates_folder()), ignored)) {
    found.push_back(win::narrow(entry.path().filename().wstring()));
  }
  return found;
}

}  // namespace borelu::testing

#include "apply/work_folder.h"

#include <windows.h>

#include "apply/helper_process.h"
#include "core/path_text.h"
#include "storage/link_rule.h"
#include "storage/path_safety.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/random.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::apply {

std::string WorkFolder::rollback() const {
  return join_path(path, ROLLBACK_FOLDER);
}

Result<WorkFolder> create_work_folder(std::string_view maintenance_folder) {
  const auto digits = win::random_hex(16);
  if (!digits) {
    return std::unexpected(digits.error());
  }
  WorkFolder work{join_path(maintenance_folder, std::string(WORK_PREFIX) + *digits), false};
  if (!CreateDirectoryW(win::widen(work.path).c_str(), nullptr)) {
    return std::unexpected(win::last_os_failure());
  }
  if (auto protected_folder = storage::protect_path(work.path); !protected_folder) {
    return std::unexpected(protected_folder.error());
  }
  return work;
}

void remove_listed_files(std::string_view folder, std::span<const std::string_view> names) {
  if (!storage::reject_linked_path(folder)) {
    return;
  }
  for (const std::string_view name : names) {
    const std::string file = join_path(folder, name);
    if (storage::reject_linked_path(file)) {
      DeleteFileW(win::widen(file).c_str());
    }
  }
  RemoveDirectoryW(win::widen(folder).c_str());  // fails, as it should, while anything else is left
}

namespace {

// Deep enough for any installer's temporary files; deeper folders are left.
constexpr int kTempDepth = 32;

void remove_tree(const std::wstring& folder, int depth) {
  WIN32_FIND_DATAW found{};
  const win::FindHandle search(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                                FindExSearchNameMatch, nullptr, 0));
  if (search) {
    do {
      const std::wstring_view name = found.cFileName;
      if (name == L"." || name == L"..") {
        continue;
      }
      const std::wstring path = folder + L"\\" + std::wstring(name);
      const DWORD attributes = found.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        // The listing carries the tag of a reparse point: a link is never entered.
        const bool reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (!storage::redirects({reparse, reparse, reparse ? found.dwReserved0 : 0}) && depth > 0) {
          remove_tree(path, depth - 1);
        } else {
          RemoveDirectoryW(path.c_str());  // a link to a folder goes; its target stays
        }
        continue;
      }
      if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      }
      DeleteFileW(path.c_str());  // deletes a link to a file, never its target
    } while (FindNextFileW(search.get(), &found));
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

void remove_helper_temp(std::string_view work_folder) {
  const std::string temp = join_path(work_folder, HELPER_TEMP_FOLDER);
  if (win::path_attributes(temp) == INVALID_FILE_ATTRIBUTES || !storage::reject_linked_path(temp)) {
    return;
  }
  remove_tree(win::widen(temp), kTempDepth);
}

void tidy_work_folder(const WorkFolder& work) {
  if (!work.keepRollback) {
    remove_listed_files(work.rollback(), ROLLBACK_NAMES);
  }
  remove_helper_temp(work.path);
  remove_listed_files(work.path, WORK_FOLDER_CONTENT);
}

}  // namespace borelu::apply

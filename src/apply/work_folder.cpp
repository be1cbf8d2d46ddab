#include "apply/work_folder.h"

#include <windows.h>

#include "apply/path_safety.h"
#include "core/path_text.h"
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
  if (auto protected_folder = protect_path(work.path); !protected_folder) {
    return std::unexpected(protected_folder.error());
  }
  return work;
}

void remove_listed_files(std::string_view folder, std::span<const std::string_view> names) {
  if (!reject_linked_path(folder)) {
    return;
  }
  for (const std::string_view name : names) {
    const std::string file = join_path(folder, name);
    if (reject_linked_path(file)) {
      DeleteFileW(win::widen(file).c_str());
    }
  }
  RemoveDirectoryW(win::widen(folder).c_str());  // fails, as it should, while anything else is left
}

void tidy_work_folder(const WorkFolder& work) {
  if (!work.keepRollback) {
    remove_listed_files(work.rollback(), ROLLBACK_NAMES);
  }
  remove_listed_files(work.path, WORK_FOLDER_CONTENT);
}

}  // namespace borelu::apply

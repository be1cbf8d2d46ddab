#include "apply/maintenance.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "apply/apply_journal.h"
#include "apply/artifact_file.h"
#include "apply/maintenance_names.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "manifest/records.h"
#include "storage/path_safety.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"
#include "windows/process_identity.h"

namespace borelu::apply {
namespace {

void remove_old_work_folders(std::string_view maintenance_folder, const WorkFolder& current) {
  if (!storage::reject_linked_path(maintenance_folder)) {
    return;
  }
  for (const std::string& name : win::subfolder_names(maintenance_folder)) {
    const std::string entry = join_path(maintenance_folder, name);
    // A folder whose apply never ended holds the only good copy of the installation.
    if (!is_work_folder_name(name) || entry == current.path ||
        !storage::reject_linked_path(entry) ||
        win::path_attributes(join_path(entry, APPLY_JOURNAL_FILE)) != INVALID_FILE_ATTRIBUTES) {
      continue;
    }
    remove_listed_files(join_path(entry, ROLLBACK_FOLDER), ROLLBACK_NAMES);
    remove_helper_temp(entry);
    remove_listed_files(entry, WORK_FOLDER_CONTENT);
  }
}

void remove_old_runners(std::string_view maintenance_folder, const std::string& current_runner) {
  const std::string runners = join_path(maintenance_folder, manifest::RUNNERS_FOLDER);
  if (!storage::reject_linked_path(runners)) {
    return;
  }
  const auto self = blocking::process_image_path(GetCurrentProcess());
  constexpr std::string_view kRunnerFile[] = {manifest::UPDATER_FILE};
  for (const std::string& name : win::subfolder_names(runners)) {
    const std::string entry = join_path(runners, name);
    const std::string runner = join_path(entry, manifest::UPDATER_FILE);
    if (!is_runner_folder_name(name) || runner == current_runner || (self && runner == *self)) {
      continue;
    }
    remove_listed_files(entry, kRunnerFile);
  }
}

}  // namespace

Status provide_updater_runner(const manifest::Release& release, const WorkFolder& work) {
  const auto runner = manifest::updater_runner_path(release.files);
  if (!runner) {
    return std::unexpected(runner.error());  // "Missing updater." among others
  }
  // With a runner path there is an updater, and the path ends in "runners", its digest and the
  // file name.
  const manifest::Artifact& updater =
      *std::ranges::find(release.files, manifest::UPDATER_FILE, &manifest::Artifact::name);
  const std::string folder = parent_path(*runner).value_or("");
  const std::string runners = parent_path(folder).value_or("");
  if (auto plain = storage::reject_linked_path(folder); !plain) {
    return plain;
  }
  // The folders this run makes go again when the copy fails (on a full disk, say): a runner
  // folder without its runner would be a leftover for good.
  const bool folder_is_new = win::path_attributes(folder) == INVALID_FILE_ATTRIBUTES;
  const bool runners_is_new = win::path_attributes(runners) == INVALID_FILE_ATTRIBUTES;
  const auto discard = [&](Status outcome) {
    if (!outcome) {  // each only when empty
      if (folder_is_new) {
        RemoveDirectoryW(win::widen(folder).c_str());
      }
      if (runners_is_new) {
        RemoveDirectoryW(win::widen(runners).c_str());
      }
    }
    return outcome;
  };
  if (auto made = win::create_directories(folder); !made) {
    return discard(made);
  }
  if (auto guarded = storage::protect_path(runners); !guarded) {
    return discard(guarded);
  }
  if (auto guarded = storage::protect_path(folder); !guarded) {
    return discard(guarded);
  }
  // A runner whose content is wrong (damaged, or left half-written) is replaced: a new copy is
  // made beside it, flushed, checked and renamed over it, so that no later run ever finds a
  // runner that fails its check for good.
  if (check_file_against_artifact(*runner, updater)) {
    return {};
  }
  const std::string source = join_path(work.path, manifest::UPDATER_FILE);
  return discard(win::replace_file(
      *runner, [&](HANDLE file) { return win::write_file_content(file, source); },
      [&](std::string_view new_runner) -> Status {
        if (auto guarded = storage::protect_path(new_runner); !guarded) {
          return guarded;
        }
        return check_file_against_artifact(new_runner, updater);
      }));
}

void finish_successful_apply(const manifest::Release& release, std::string_view maintenance_folder,
                             WorkFolder& work) {
  work.keepRollback = true;
  const std::string runner = manifest::updater_runner_path(release.files).value_or("");
  remove_old_work_folders(maintenance_folder, work);
  remove_old_runners(maintenance_folder, runner);
  manifest::write_last_update(work.rollback(), release.version);
}

}  // namespace borelu::apply

#include "apply/rollback.h"

#include <windows.h>

#include "apply/artifact_file.h"
#include "apply/work_folder.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "manifest/records.h"
#include "registration/registration.h"
#include "storage/path_safety.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::apply {
namespace {

Status copy_through(HANDLE source, std::string_view target) {
  const auto copy = win::create_new_file(target);
  if (!copy) {
    return std::unexpected(copy.error());
  }
  auto copied = win::read_pieces(source, [&](std::span<const unsigned char> piece) {
    return win::write_all(
        copy->get(), std::string_view(reinterpret_cast<const char*>(piece.data()), piece.size()));
  });
  if (!copied) {
    return copied;
  }
  return win::flush_to_disk(copy->get());
}

// A record of the installation folder, replaced whole and at once and protected before it takes
// its name.
Status write_protected(std::string_view path, std::string_view bytes) {
  return win::replace_file_with(path, bytes, storage::protect_path);
}

}  // namespace

RestoreSnapshot take_restore_snapshot(std::string_view owner_sid,
                                      const std::optional<std::string>& installed_release) {
  RestoreSnapshot snapshot;
  snapshot.hadStartup = registration::startup_entry_present(owner_sid);
  if (installed_release) {
    if (auto installed = manifest::verify_release_metadata(*installed_release)) {
      snapshot.previousRelease = std::move(*installed);
    }
  }
  return snapshot;
}

Result<std::vector<std::string>> make_rollback_copy(std::string_view installation_folder,
                                                    std::string_view rollback_folder) {
  if (!CreateDirectoryW(win::widen(rollback_folder).c_str(), nullptr)) {
    return std::unexpected(win::last_os_failure());
  }
  std::vector<std::string> saved;
  for (const std::string_view name : ROLLBACK_NAMES) {
    const std::string source = join_path(installation_folder, name);
    if (win::path_attributes(source) == INVALID_FILE_ATTRIBUTES) {
      continue;
    }
    if (auto checked = storage::reject_linked_path(source); !checked) {
      return std::unexpected(checked.error());
    }
    auto file = storage::open_regular_file(source);
    if (!file) {
      return std::unexpected(file.error());
    }
    if (auto copied = copy_through(file->get(), join_path(rollback_folder, name)); !copied) {
      return std::unexpected(copied.error());
    }
    saved.emplace_back(name);
  }
  return saved;
}

Status begin_apply(const WorkFolder& work, const ApplyJournal& journal) {
  return win::replace_file_with(join_path(work.path, APPLY_JOURNAL_FILE),
                                apply_journal_json(journal));
}

Status end_apply(std::string_view work_folder) {
  if (!DeleteFileW(win::widen(join_path(work_folder, APPLY_JOURNAL_FILE)).c_str())) {
    return std::unexpected(win::last_os_failure());
  }
  return {};
}

Status commit_records(std::string_view installation_folder, std::string_view release_bytes,
                      const manifest::Release& release,
                      const std::optional<options::SetupOptions>& preferences,
                      std::string_view owner_sid) {
  if (auto written = write_protected(
          join_path(installation_folder, manifest::INSTALLED_RELEASE_FILE), release_bytes);
      !written) {
    return written;
  }
  for (const auto& artifact : release.files) {
    if (auto checked =
            check_file_against_artifact(join_path(installation_folder, artifact.name), artifact);
        !checked) {
      return checked;
    }
  }
  if (preferences) {
    const std::string options_path = join_path(installation_folder, options::SETUP_OPTIONS_FILE);
    if (auto checked = storage::reject_linked_path(options_path); !checked) {
      return checked;
    }
    if (auto written = write_protected(options_path, options::to_json(*preferences)); !written) {
      return written;
    }
    if (auto startup = registration::set_startup_entry(
            owner_sid, preferences->startup,
            join_path(installation_folder, manifest::APPLICATION_FILE));
        !startup) {
      return startup;
    }
  }
  return registration::register_uninstall_entry(release);
}

}  // namespace borelu::apply

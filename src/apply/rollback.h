#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apply/apply_journal.h"
#include "apply/work_folder.h"
#include "core/failure.h"
#include "manifest/release.h"
#include "protocol/options.h"

namespace borelu::apply {

// What a restore needs to put back that is not a file: recorded before the first change.
struct RestoreSnapshot {
  bool hadStartup = false;
  std::optional<manifest::Release> previousRelease;
};

// `installed_release` is "installed-release.json" as the run read it, if it existed.
[[nodiscard]] RestoreSnapshot take_restore_snapshot(
    std::string_view owner_sid, const std::optional<std::string>& installed_release);

// Copies the installed files that exist into the work folder's "rollback" folder, reading each
// through a handle that keeps writers out. Returns the names copied, in list order.
[[nodiscard]] Result<std::vector<std::string>> make_rollback_copy(
    std::string_view installation_folder, std::string_view rollback_folder);

// Records, in the work folder, that the installation is about to change and what a restore of
// its rollback copy needs (apply_journal.h). Written once the rollback copy is complete.
[[nodiscard]] Status begin_apply(const WorkFolder& work, const ApplyJournal& journal);

// The installation is exactly one release again (committed, or restored): the record goes.
[[nodiscard]] Status end_apply(std::string_view work_folder);

// After the service installer put the release in place: "installed-release.json", a check of
// every installed file, the preferences and startup value (setup runs only), the uninstall entry.
[[nodiscard]] Status commit_records(std::string_view installation_folder,
                                    std::string_view release_bytes,
                                    const manifest::Release& release,
                                    const std::optional<options::SetupOptions>& preferences,
                                    std::string_view owner_sid);

}  // namespace borelu::apply

#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "manifest/file_names.h"
#include "protocol/options.h"
#include "webview2/webview2.h"
#include "windows/policy.h"

namespace borelu::apply {

// What the worker may ever delete from its work folder and from the rollback folder; the order
// is the order of processing.
inline constexpr std::array<std::string_view, 5> WORK_FOLDER_CONTENT{
    manifest::APPLICATION_FILE, manifest::SERVICE_FILE, manifest::UPDATER_FILE,
    manifest::STAGED_METADATA, webview2::BOOTSTRAPPER_FILE};
inline constexpr std::array<std::string_view, 6> ROLLBACK_NAMES{
    manifest::APPLICATION_FILE, manifest::SERVICE_FILE,           manifest::UPDATER_FILE,
    blocking::POLICY_FILE,      manifest::INSTALLED_RELEASE_FILE, options::SETUP_OPTIONS_FILE};
inline constexpr std::string_view ROLLBACK_FOLDER = "rollback";
inline constexpr std::string_view WORK_PREFIX = "work-";

// One worker run's private folder in the maintenance folder.
struct WorkFolder {
  std::string path;
  bool keepRollback = false;

  [[nodiscard]] std::string rollback() const;
};

// "work-" and 32 random lower-case hex digits, created new (never reused) and protected.
[[nodiscard]] Result<WorkFolder> create_work_folder(std::string_view maintenance_folder);

// Deletes the listed names from a folder reached without links, then the folder if it is empty.
// Nothing that is not listed is ever deleted; every error is ignored.
void remove_listed_files(std::string_view folder, std::span<const std::string_view> names);

// Removes the folder the worker's helpers had as TEMP, with everything in it: a link inside is
// removed as a link, never followed. Errors are ignored.
void remove_helper_temp(std::string_view work_folder);

// Tidies the work folder on every way out: its known content and the helpers' temporary folder,
// and unless the rollback copy is to be kept, the rollback folder's known content and the
// folders themselves.
void tidy_work_folder(const WorkFolder& work);

}  // namespace borelu::apply

#include "apply/apply_space.h"

#include <windows.h>

#include "apply/work_folder.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "storage/disk_space.h"
#include "storage/free_space.h"
#include "webview2/embedded_bootstrapper.h"
#include "webview2/webview2.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::apply {
namespace {

// The sizes of the installed files a rollback copy takes; an absent file takes nothing.
Result<std::uint64_t> installed_bytes(std::string_view installation_folder) {
  std::uint64_t total = 0;
  for (const std::string_view name : ROLLBACK_NAMES) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(win::widen(join_path(installation_folder, name)).c_str(),
                              GetFileExInfoStandard, &data)) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        continue;
      }
      return std::unexpected(win::os_failure(error));
    }
    total += (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  return total;
}

}  // namespace

Status check_apply_space(std::string_view work_folder, const manifest::Release& release,
                         std::size_t metadata_bytes, std::string_view owner_sid) {
  const auto installation = manifest::installation_folder();
  if (!installation) {
    return std::unexpected(installation.error());
  }
  storage::ApplyFootprint footprint;
  const auto installed = installed_bytes(*installation);
  if (!installed) {
    return std::unexpected(installed.error());
  }
  footprint.installedBytes = *installed;
  if (const auto runner = manifest::updater_runner_path(release.files)) {
    footprint.runnerIsNew =
        GetFileAttributesW(win::widen(*runner).c_str()) == INVALID_FILE_ATTRIBUTES;
  }
  if (!webview2::is_webview2_present(owner_sid)) {
    footprint.bootstrapperBytes = EMBEDDED_BOOTSTRAPPER_SIZE;
  }
  return storage::check_free_space(work_folder,
                                   storage::space_needed(release, metadata_bytes, footprint));
}

}  // namespace borelu::apply

#include "manifest/installation.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>

#include "core/path_text.h"
#include "manifest/records.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::manifest {

Result<std::string> installation_folder() {
  wchar_t* folder = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_ProgramFiles, 0, nullptr, &folder);
  const win::CoTaskMemory owner(folder);
  if (FAILED(result) || folder == nullptr) {
    return fail("Could not locate Program Files.");
  }
  return join_path(win::narrow(folder), INSTALLATION_FOLDER_NAME);
}

Result<std::string> maintenance_folder_path() {
  const auto installation = installation_folder();
  if (!installation) {
    return installation;
  }
  return maintenance_folder_beside(*installation);
}

Result<std::optional<std::string>> read_installed_release_bytes() {
  const auto folder = installation_folder();
  if (!folder) {
    return std::unexpected(folder.error());
  }
  return win::read_existing_file(join_path(*folder, INSTALLED_RELEASE_FILE), MAX_METADATA_BYTES + 1,
                                 kReadInstalledRelease);
}

Result<Release> read_installed_release() {
  const auto bytes = read_installed_release_bytes();
  if (!bytes) {
    return std::unexpected(bytes.error());
  }
  if (!*bytes) {
    return fail(std::string(kNoInstalledRelease));
  }
  return verify_release_metadata(**bytes);
}

Result<std::string> updater_runner_path(const std::vector<Artifact>& files) {
  if (std::ranges::none_of(files, [](const Artifact& a) { return a.name == UPDATER_FILE; })) {
    return fail("Missing updater.");
  }
  const auto maintenance = maintenance_folder_path();
  if (!maintenance) {
    return maintenance;
  }
  return updater_runner_in(*maintenance, files);
}

void write_last_update(std::string_view rollback_folder, std::string_view version) {
  const auto maintenance = maintenance_folder_path();
  if (!maintenance) {
    return;
  }
  (void)win::replace_file_with(join_path(*maintenance, LAST_UPDATE_FILE),
                               last_update_json(rollback_folder, version));
}

}  // namespace borelu::manifest

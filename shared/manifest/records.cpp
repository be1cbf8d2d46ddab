#include "manifest/records.h"

#include <algorithm>

#include "core/json_text.h"
#include "core/path_text.h"

namespace borelu::manifest {

Result<std::string> maintenance_folder_beside(std::string_view installation_folder) {
  const auto parent = parent_path(installation_folder);
  if (!parent) {
    return fail("Missing Program Files.");
  }
  return join_path(*parent, MAINTENANCE_FOLDER_NAME);
}

Result<std::string> updater_runner_in(std::string_view maintenance_folder,
                                      const std::vector<Artifact>& files) {
  const auto updater =
      std::ranges::find_if(files, [](const Artifact& a) { return a.name == UPDATER_FILE; });
  if (updater == files.end()) {
    return fail("Missing updater.");
  }
  return join_path(join_path(join_path(maintenance_folder, RUNNERS_FOLDER), updater->sha256),
                   UPDATER_FILE);
}

std::string last_update_json(std::string_view rollback_folder, std::string_view version) {
  std::string json = "{\"rollback\":";
  append_json_string(json, rollback_folder);
  json += ",\"version\":";
  append_json_string(json, version);
  json.push_back('}');
  return json;
}

}  // namespace borelu::manifest

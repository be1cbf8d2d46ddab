#pragma once

#include <string_view>

namespace borelu::manifest {

// The names of a release's files and of the installation's folders and records, written once.

inline constexpr std::string_view APPLICATION_FILE = "Borelu.exe";
inline constexpr std::string_view SERVICE_FILE = "BoreluService.exe";
inline constexpr std::string_view UPDATER_FILE = "BoreluUpdater.exe";

// The verified metadata as staged, and as copied into the work folder.
inline constexpr std::string_view STAGED_METADATA = "release.json";

// In a staging folder made by Setup: the run that made the folder holds this file open, sharing no
// delete, until the run ends, and a worker holds it while it reads the stage. A staging folder
// whose marker nobody holds is left over from an earlier run.
inline constexpr std::string_view STAGE_MARKER_FILE = "setup-run.lock";

inline constexpr std::string_view INSTALLATION_FOLDER_NAME = "Borelu";
inline constexpr std::string_view MAINTENANCE_FOLDER_NAME = "BoreluMaintenance";
inline constexpr std::string_view RUNNERS_FOLDER = "runners";
inline constexpr std::string_view INSTALLED_RELEASE_FILE = "installed-release.json";
inline constexpr std::string_view LAST_UPDATE_FILE = "last-update.json";

}  // namespace borelu::manifest

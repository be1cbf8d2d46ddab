#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/failure.h"
#include "manifest/release.h"

namespace borelu::manifest {

inline constexpr std::string_view INSTALLATION_FOLDER_NAME = "Borelu";
inline constexpr std::string_view MAINTENANCE_FOLDER_NAME = "BoreluMaintenance";
inline constexpr std::string_view INSTALLED_RELEASE_FILE = "installed-release.json";
inline constexpr std::string_view LAST_UPDATE_FILE = "last-update.json";
inline constexpr std::string_view RUNNERS_FOLDER = "runners";
inline constexpr std::string_view UPDATER_NAME = "BoreluUpdater.exe";

inline constexpr std::string_view kNoInstalledRelease =
    "Run BoreluSetup once to enable automatic updates.";

// The maintenance folder beside the installation folder.
[[nodiscard]] Result<std::string> maintenance_folder_beside(std::string_view installation_folder);

// The updater's private copy: <maintenance>\runners\<updater sha256>\BoreluUpdater.exe.
[[nodiscard]] Result<std::string> updater_runner_in(std::string_view maintenance_folder,
                                                    const std::vector<Artifact>& files);

// The bytes of "last-update.json": compact, "rollback" before "version".
[[nodiscard]] std::string last_update_json(std::string_view rollback_folder,
                                           std::string_view version);

}  // namespace borelu::manifest

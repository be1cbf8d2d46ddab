#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/failure.h"
#include "manifest/file_names.h"
#include "manifest/release.h"

namespace borelu::manifest {

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

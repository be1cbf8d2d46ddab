#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/failure.h"
#include "manifest/release.h"

namespace borelu::manifest {

// Program Files joined with "Borelu". Neither created nor tested for existence here.
[[nodiscard]] Result<std::string> installation_folder();

// "BoreluMaintenance" beside the installation folder.
[[nodiscard]] Result<std::string> maintenance_folder_path();

// "installed-release.json" of the installation folder, verified like any downloaded copy.
[[nodiscard]] Result<Release> read_installed_release();

// The updater's private copy for the updater of `files`.
[[nodiscard]] Result<std::string> updater_runner_path(const std::vector<Artifact>& files);

// Records the rollback folder and version of the apply that just succeeded. A failure to write
// is ignored: the apply has succeeded all the same.
void write_last_update(std::string_view rollback_folder, std::string_view version);

}  // namespace borelu::manifest

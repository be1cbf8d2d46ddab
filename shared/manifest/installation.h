#pragma once

#include <optional>
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

inline constexpr std::string_view kReadInstalledRelease = "Read installed release";

// The bytes of "installed-release.json" of the installation folder, at most one more than the
// largest document verification accepts; nothing when there is no such file. A file that exists
// but cannot be opened or read is the failure "Read installed release" with the system error.
[[nodiscard]] Result<std::optional<std::string>> read_installed_release_bytes();

// "installed-release.json" of the installation folder, verified like any downloaded copy; without
// the file: "Run BoreluSetup once to enable automatic updates.".
[[nodiscard]] Result<Release> read_installed_release();

// The updater's private copy for the updater of `files`.
[[nodiscard]] Result<std::string> updater_runner_path(const std::vector<Artifact>& files);

// Records the rollback folder and version of the apply that just succeeded. A failure to write
// is ignored: the apply has succeeded all the same.
void write_last_update(std::string_view rollback_folder, std::string_view version);

}  // namespace borelu::manifest

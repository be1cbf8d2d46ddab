#pragma once

#include <windows.h>

#include <string_view>

#include "core/failure.h"
#include "manifest/release.h"

namespace borelu::apply {

// Reads `source` to its end, checking it against the artifact's signed size and digest, and
// writes every piece to `copy` when one is given: what is checked is exactly what is copied.
[[nodiscard]] Status check_artifact_through(HANDLE source, const manifest::Artifact& artifact,
                                            HANDLE copy = nullptr);

// Checks a file in place against its signed size and SHA-256, opened with ordinary sharing.
[[nodiscard]] Status check_file_against_artifact(std::string_view path,
                                                 const manifest::Artifact& artifact);

}  // namespace borelu::apply

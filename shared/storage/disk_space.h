#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/failure.h"
#include "manifest/release.h"

namespace borelu::storage {

// What an apply writes on the Program Files volume besides the release itself.
struct ApplyFootprint {
  std::uint64_t installedBytes = 0;     // the installed files the rollback copy takes
  bool runnerIsNew = false;             // the updater's runner copy does not exist yet
  std::uint64_t bootstrapperBytes = 0;  // the WebView2 bootstrapper, when it will be written
};

// The bytes a run needs free on the volume it writes to. The download (no footprint) stages the
// release once: its files and its metadata. An apply holds at its fullest the work copy of the
// release, the rollback copy of what is installed, a new runner copy of the updater, the
// bootstrapper, and the release once more as the service installer's copy in the installation
// folder, where the old files go only when the new ones are in place. Saturates rather than wraps.
[[nodiscard]] std::uint64_t space_needed(const manifest::Release& release,
                                         std::size_t metadata_bytes,
                                         const std::optional<ApplyFootprint>& apply);

// Passes when `free_bytes` holds `needed`; otherwise the sentence that names both in MB (of
// 1,048,576 bytes, as Windows counts them), the need rounded up and the free space rounded down,
// so that a shortfall never reads as two equal figures.
[[nodiscard]] Status check_space(std::uint64_t needed, std::uint64_t free_bytes);

}  // namespace borelu::storage

#include "storage/disk_space.h"

#include <limits>
#include <string>

namespace borelu::storage {
namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;

std::uint64_t add(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

}  // namespace

std::uint64_t space_needed(const manifest::Release& release, std::size_t metadata_bytes,
                           const std::optional<ApplyFootprint>& apply) {
  std::uint64_t release_bytes = metadata_bytes;
  std::uint64_t updater_bytes = 0;
  for (const auto& artifact : release.files) {
    release_bytes = add(release_bytes, artifact.bytes);
    if (artifact.name == manifest::UPDATER_FILE) {
      updater_bytes = artifact.bytes;
    }
  }
  if (!apply) {
    return release_bytes;
  }
  std::uint64_t needed = add(release_bytes, release_bytes);
  needed = add(needed, apply->installedBytes);
  needed = add(needed, apply->runnerIsNew ? updater_bytes : 0);
  return add(needed, apply->bootstrapperBytes);
}

Status check_space(std::uint64_t needed, std::uint64_t free_bytes) {
  if (needed <= free_bytes) {
    return {};
  }
  const std::uint64_t needed_mb = needed / kMegabyte + (needed % kMegabyte != 0 ? 1 : 0);
  return fail("There is not enough space on the disk for Borelu: " + std::to_string(needed_mb) +
              " MB needed, " + std::to_string(free_bytes / kMegabyte) +
              " MB free. Free some space, then try again.");
}

}  // namespace borelu::storage

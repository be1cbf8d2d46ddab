#include "storage/disk_space.h"

#include <gtest/gtest.h>

#include <limits>

#include "outcome.h"
#include "ui/failure_explanation.h"

namespace borelu::storage {
namespace {

using testing::outcome;

constexpr std::uint64_t kMiB = 1024 * 1024;

manifest::Release release_of(std::uint64_t application, std::uint64_t service,
                             std::uint64_t updater) {
  manifest::Release release;
  release.files = {{std::string(manifest::APPLICATION_FILE), "", "", application},
                   {std::string(manifest::SERVICE_FILE), "", "", service},
                   {std::string(manifest::UPDATER_FILE), "", "", updater}};
  return release;
}

TEST(DiskSpace, TheEstimateCountsEveryCopyARunWrites) {
  const auto release = release_of(20 * kMiB, 3 * kMiB, 2 * kMiB);
  const std::uint64_t staged = 25 * kMiB + 1500;  // the files and 1500 bytes of metadata
  constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
  const struct {
    const char* name;
    manifest::Release release;
    std::optional<ApplyFootprint> apply;
    std::uint64_t expected;
  } cases[] = {
      {"download: the release once", release, std::nullopt, staged},
      {"first install: work and installer copies, new runner, bootstrapper", release,
       ApplyFootprint{0, true, 1800000}, 2 * staged + 2 * kMiB + 1800000},
      {"update: the rollback copy of what is installed, the runner exists", release,
       ApplyFootprint{24 * kMiB + 900, false, 0}, 2 * staged + 24 * kMiB + 900},
      {"update to a new updater: its runner copy too", release,
       ApplyFootprint{24 * kMiB + 900, true, 0}, 2 * staged + 24 * kMiB + 900 + 2 * kMiB},
      {"a release without an updater has no runner to copy",
       manifest::Release{"", 0, "", {{std::string(manifest::APPLICATION_FILE), "", "", 4096}}},
       ApplyFootprint{0, true, 0}, 2 * (4096 + 1500)},
      {"sizes too large to add saturate", release_of(kMax - 10, 1, 1), std::nullopt, kMax},
      {"an installed size too large saturates", release, ApplyFootprint{kMax - staged, true, 1},
       kMax},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(space_needed(c.release, 1500, c.apply), c.expected) << c.name;
  }
}

// The need is rounded up and the free space down, so a shortfall never shows equal figures; the
// sentence brings up the failure dialog's disk-space explanation.
TEST(DiskSpace, AShortfallNamesBothFiguresInMegabytes) {
  const struct {
    std::uint64_t needed;
    std::uint64_t free;
    const char* expected;  // nullptr: enough
  } cases[] = {
      {40 * kMiB, 40 * kMiB, nullptr},
      {0, 0, nullptr},
      {40 * kMiB + 1, 40 * kMiB, "41 MB needed, 40 MB free"},
      {40 * kMiB + 2, 40 * kMiB + 1, "41 MB needed, 40 MB free"},
      {41 * kMiB, 41 * kMiB - 1, "41 MB needed, 40 MB free"},
      {1, 0, "1 MB needed, 0 MB free"},
      {215 * kMiB - 7, 40 * kMiB + kMiB / 2, "215 MB needed, 40 MB free"},
  };
  for (const auto& c : cases) {
    const Status checked = check_space(c.needed, c.free);
    if (c.expected == nullptr) {
      EXPECT_TRUE(checked) << c.needed;
      continue;
    }
    EXPECT_EQ(outcome(checked), "There is not enough space on the disk for Borelu: " +
                                    std::string(c.expected) + ". Free some space, then try again.");
    EXPECT_EQ(ui::classify_failure(outcome(checked)), 6);
  }
}

}  // namespace
}  // namespace borelu::storage

// Whole download of a release from the fixture update host: metadata fetched and verified, a new
// stage, every file streamed, read back and checked. Prints the time and the peak working set.

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>

#include "controller/staging.h"
#include "download/https.h"
#include "manifest/release.h"

int main() {
  using namespace borelu;
  const auto start = std::chrono::steady_clock::now();
  const auto metadata = download::fetch_metadata();
  if (!metadata) {
    std::printf("%s\n", metadata.error().text().c_str());
    return 1;
  }
  const auto release = manifest::verify_release_metadata(*metadata);
  const auto stage = release ? controller::create_stage() : Result<std::string>(fail("no release"));
  if (!release || !stage) {
    std::printf("%s\n", (!release ? release.error() : stage.error()).text().c_str());
    return 1;
  }
  controller::CancelState cancel;
  const auto outcome = controller::download_release(*stage, *release, *metadata, cancel,
                                                    [](std::uint32_t, const std::string&) {});
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  std::uint64_t total = 0;
  for (const auto& file : release->files)
    total += file.bytes;
  std::printf("%s: %llu bytes in %.3f s, peak working set %.1f MiB\n",
              outcome ? "staged" : outcome.error().text().c_str(),
              static_cast<unsigned long long>(total), seconds,
              counters.PeakWorkingSetSize / 1048576.0);
  controller::remove_stage_after_success(*stage);
  return outcome ? 0 : 1;
}

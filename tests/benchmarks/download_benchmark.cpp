// Whole download of a release from the fixture update host: metadata fetched and verified, a new
// stage, every file streamed, read back and checked. Prints the time of each phase, then the
// whole time and the peak working set.

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>

#include "controller/staging.h"
#include "download/https.h"
#include "manifest/release.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  using namespace borelu;
  const auto start = std::chrono::steady_clock::now();
  const auto metadata = download::fetch_metadata();
  const double fetched = seconds_since(start);
  if (!metadata) {
    std::printf("%s\n", metadata.error().text().c_str());
    return 1;
  }
  const auto release = manifest::verify_release_metadata(*metadata);
  const double verified = seconds_since(start);
  auto stage = release ? controller::create_stage() : Result<controller::Stage>(fail("no release"));
  const double staged = seconds_since(start);
  if (!release || !stage) {
    std::printf("%s\n", (!release ? release.error() : stage.error()).text().c_str());
    return 1;
  }
  controller::CancelState cancel;
  const auto outcome = controller::download_release(*stage, *release, *metadata, cancel,
                                                    [](std::uint32_t, const std::string&) {});
  const double seconds = seconds_since(start);
  std::printf("phases: metadata %.3f s, verification %.3f s, stage folder %.3f s, files %.3f s\n",
              fetched, verified - fetched, staged - verified, seconds - staged);
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

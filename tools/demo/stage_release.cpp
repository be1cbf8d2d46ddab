// For the demonstration: the client's download half on its own. Fetches and verifies the
// release metadata from the update host, downloads the release into a new staging folder and
// prints that folder's path, as the setup client does before it starts the worker.

#include <cstdio>

#include "controller/staging.h"
#include "download/https.h"
#include "manifest/release.h"

int main() {
  using namespace borelu;
  const auto metadata = download::fetch_metadata();
  const auto release = metadata ? manifest::verify_release_metadata(*metadata)
                                : Result<manifest::Release>(std::unexpected(metadata.error()));
  const auto stage =
      release ? controller::create_stage() : Result<std::string>(std::unexpected(release.error()));
  if (!stage) {
    std::fprintf(stderr, "%s\n", stage.error().text().c_str());
    return 1;
  }
  controller::CancelState cancel;
  const auto downloaded = controller::download_release(
      *stage, *release, *metadata, cancel, [](std::uint32_t percent, const std::string&) {
        if (percent % 25 == 0)
          std::fprintf(stderr, "  downloaded %u%%\n", percent);
      });
  if (!downloaded) {
    std::fprintf(stderr, "%s\n", downloaded.error().text().c_str());
    return 1;
  }
  std::printf("%s\n", stage->c_str());
  return 0;
}

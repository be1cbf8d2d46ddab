// Feeds arbitrary bytes to the release metadata verifier, and checks that the canonical form of
// any value the strict JSON reader accepts is stable: parsing it again gives the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "manifest/json_value.h"
#include "manifest/release.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  (void)borelu::manifest::verify_release_metadata(input);

  if (const auto value = borelu::manifest::parse_json(input)) {
    if (const auto canonical = borelu::manifest::canonical_json(*value)) {
      const auto again = borelu::manifest::parse_json(*canonical);
      if (!again || borelu::manifest::canonical_json(*again) != canonical) {
        std::abort();
      }
    }
  }
  return 0;
}

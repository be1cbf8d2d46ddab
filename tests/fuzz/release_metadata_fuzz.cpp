// Feeds arbitrary bytes to the release metadata verifier, and checks two properties of the strict
// JSON reader on any object or array it accepts: the canonical form is stable (parsing it again
// gives the same text), and one more byte of any value before or after the document is refused
// unless it is a blank.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "manifest/json_value.h"
#include "manifest/release.h"

namespace {

bool is_json_blank(char byte) {
  return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
}

// Every blank, NUL, the bytes that end or continue a token, and the extremes; plus one byte taken
// from the input, so that over a campaign every value is tried. Checking all 256 values on every
// accepted document made the target a hundred times slower.
void check_surrounding_bytes(std::string_view input) {
  static constexpr unsigned char kFixed[] = {0x00, 0x09, 0x0A, 0x0D, 0x20, '"',  '0',
                                             '}',  ']',  ',',  '/',  0x7F, 0x80, 0xFF};
  std::string changed;
  const auto check = [&](unsigned char value) {
    const char byte = static_cast<char>(value);
    changed.assign(input);
    changed.push_back(byte);
    const bool appended = borelu::manifest::parse_json(changed).has_value();
    changed.assign(1, byte);
    changed.append(input);
    const bool prepended = borelu::manifest::parse_json(changed).has_value();
    if (appended != is_json_blank(byte) || prepended != is_json_blank(byte)) {
      std::abort();
    }
  };
  for (const unsigned char value : kFixed) {
    check(value);
  }
  check(static_cast<unsigned char>(input.front() ^ input.back() ^ input.size()));
}

}  // namespace

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
    // Kept to small documents: 30 more parses of each.
    if ((value->is_object() || value->is_array()) && size <= 4096) {
      check_surrounding_bytes(input);
    }
  }
  return 0;
}

// Every byte value at every kind of place in a document, through the strict JSON reader and the
// public readers built on it: only space, tab, CR and LF may stand around and between tokens,
// and a string holds no raw control character.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "manifest/json_value.h"
#include "outcome.h"
#include "protocol/failure_record_format.h"
#include "signed_document.h"
#include "windows/policy.h"

namespace borelu::testing {
namespace {

bool is_json_blank(unsigned char byte) {
  return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
}

// Whether `byte` may stand in a string just before `next`: printable ASCII but the quote, or a
// backslash that forms a one-letter escape with `next` (a lone byte above 0x7F is not UTF-8, a
// control byte must be escaped).
bool is_string_byte(unsigned char byte, char next) {
  if (byte == '\\') {
    return std::string_view("bfnrt/").find(next) != std::string_view::npos;
  }
  return byte >= 0x20 && byte < 0x80 && byte != '"';
}

std::string with_byte_at(std::string_view document, std::size_t position, unsigned char byte) {
  std::string changed(document);
  changed.insert(changed.begin() + static_cast<std::ptrdiff_t>(position), static_cast<char>(byte));
  return changed;
}

// Trailing bytes after a complete value that must never be taken for the end of the input.
using namespace std::string_view_literals;
const std::string_view kTrailers[] = {"\0"sv, "\0 not json {{"sv, "\0\0"sv, " \0"sv, "\n\0{}"sv};

TEST(JsonBytes, NothingButBlanksMayFollowTheValueInAnyReader) {
  const std::string release = signed_document(release_json(three_files()));
  const std::string policy =
      "{\"version\":1,\"owner_sid\":\"S-1-5-21-1-2-3-1001\",\"client_sha256\":\"" +
      std::string(64, 'c') + "\",\"service_sha256\":\"" + std::string(64, 'd') + "\"}";
  const std::string record = protocol::failure_record_json(4243, 1000, "Boom.");
  ASSERT_EQ(failure_of(release), "OK 1.4.2");
  ASSERT_TRUE(blocking::parse_blocking_policy(policy));
  ASSERT_TRUE(protocol::parse_failure_record(record, 4243, 0));

  for (const std::string_view trailer : kTrailers) {
    const std::string shown = "trailer of " + std::to_string(trailer.size()) + " bytes";
    EXPECT_EQ(failure_of(release + std::string(trailer)), "Invalid release metadata.") << shown;
    EXPECT_EQ(outcome(blocking::parse_blocking_policy(policy + std::string(trailer))),
              "Invalid blocking policy.")
        << shown;
    EXPECT_FALSE(protocol::parse_failure_record(record + std::string(trailer), 4243, 0)) << shown;
  }
}

TEST(JsonBytes, ACappedReadPaddedWithNulBytesIsRefused) {
  // A file read up to its limit: the padding is part of what the reader was given.
  std::string release = signed_document(release_json(three_files()));
  release.resize(manifest::MAX_METADATA_BYTES, '\0');
  EXPECT_EQ(failure_of(release), "Invalid release metadata.");
  std::string record = protocol::failure_record_json(4243, 1000, "Boom.");
  record.resize(protocol::RECORD_MAX_BYTES, '\0');
  EXPECT_FALSE(protocol::parse_failure_record(record, 4243, 0));
}

// One byte of every value inserted at every place of one document: between structural tokens
// only a blank is allowed; inside a string only what `is_string_byte` allows.
TEST(JsonBytes, EveryByteValueAtEveryPlace) {
  const std::string_view document = R"({"a":["xy",{}],"b":{"c":{}}})";
  ASSERT_TRUE(manifest::parse_json(document));

  struct Place {
    std::size_t position;
    bool insideString;
  };
  std::vector<Place> places;
  bool in_string = false;
  for (std::size_t p = 0; p <= document.size(); ++p) {
    places.push_back({p, in_string});
    if (p < document.size() && document[p] == '"') {
      in_string = !in_string;
    }
  }

  for (const auto& [position, inside_string] : places) {
    for (int value = 0; value < 256; ++value) {
      const auto byte = static_cast<unsigned char>(value);
      const bool allowed =
          inside_string ? is_string_byte(byte, document[position]) : is_json_blank(byte);
      EXPECT_EQ(manifest::parse_json(with_byte_at(document, position, byte)).has_value(), allowed)
          << "byte " << value << " at " << position;
    }
  }
}

}  // namespace
}  // namespace borelu::testing

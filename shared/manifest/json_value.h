#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace borelu::manifest {

struct JsonMember;

// A parsed JSON value that keeps what strict readers must see: object members in document
// order with repeats kept, and whether a number was written as a plain integer.
struct JsonValue {
  enum class Kind {
    null,
    boolean,
    unsigned_integer,
    negative_integer,
    other_number,
    string,
    array,
    object
  };

  Kind kind = Kind::null;
  bool boolean = false;
  std::uint64_t unsignedInteger = 0;  // Kind::unsigned_integer
  std::int64_t negativeInteger = 0;   // Kind::negative_integer (always below zero)
  std::string text;                   // Kind::string, or the spelling of Kind::other_number
  std::vector<JsonValue> items;       // Kind::array
  std::vector<JsonMember> members;    // Kind::object, document order, repeats kept

  [[nodiscard]] bool is_object() const { return kind == Kind::object; }
  [[nodiscard]] bool is_array() const { return kind == Kind::array; }
  [[nodiscard]] bool is_string() const { return kind == Kind::string; }
};

struct JsonMember {
  std::string name;
  JsonValue value;
};

inline constexpr std::size_t MAX_JSON_DEPTH = 128;

// Parses exactly one JSON value: UTF-8 without byte-order mark, only space, tab, CR and LF
// around it, nesting at most 128 levels. Nothing on any malformed input; the reason is not
// kept, since callers report one fixed sentence per record kind.
[[nodiscard]] std::optional<JsonValue> parse_json(std::string_view text);

// The compact canonical form: no white space, object members sorted by the bytes of their keys
// with only the last of repeated keys kept, strings escaped in the one canonical way, integers
// in plain decimal. Nothing when the value holds a number that is not such an integer.
[[nodiscard]] std::optional<std::string> canonical_json(const JsonValue& value);

// The members of an object with repeated keys resolved to their last occurrence, in document
// order of those last occurrences.
[[nodiscard]] std::vector<std::pair<std::string_view, const JsonValue*>> last_occurrences(
    const JsonValue& object);

// True when no key of the object appears twice.
[[nodiscard]] bool has_unique_keys(const JsonValue& object);

}  // namespace borelu::manifest

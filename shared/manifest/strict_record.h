#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "manifest/json_value.h"

namespace borelu::manifest {

enum class RepeatedKeys { refused, last_wins };

// The members of a record read strictly: as an object with exactly the listed members (none
// missing, none unlisted), or as an array holding exactly their values in the listed order.
template <std::size_t N>
[[nodiscard]] std::optional<std::array<const JsonValue*, N>> record_members(
    const JsonValue& value, const std::array<std::string_view, N>& names, RepeatedKeys repeats) {
  std::array<const JsonValue*, N> found{};
  if (value.is_array()) {
    if (value.items.size() != N) {
      return std::nullopt;
    }
    for (std::size_t i = 0; i < N; ++i) {
      found[i] = &value.items[i];
    }
    return found;
  }
  if (!value.is_object() || (repeats == RepeatedKeys::refused && !has_unique_keys(value))) {
    return std::nullopt;
  }
  for (const auto& [name, member] : last_occurrences(value)) {
    std::size_t i = 0;
    while (i < N && names[i] != name) {
      ++i;
    }
    if (i == N) {
      return std::nullopt;  // unlisted member
    }
    found[i] = member;
  }
  for (const JsonValue* member : found) {
    if (member == nullptr) {
      return std::nullopt;  // missing member
    }
  }
  return found;
}

[[nodiscard]] inline std::optional<std::uint64_t> read_u64(const JsonValue& value) {
  if (value.kind != JsonValue::Kind::unsigned_integer) {
    return std::nullopt;
  }
  return value.unsignedInteger;
}

[[nodiscard]] inline std::optional<std::uint32_t> read_u32(const JsonValue& value) {
  const auto wide = read_u64(value);
  if (!wide || *wide > std::numeric_limits<std::uint32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(*wide);
}

[[nodiscard]] inline const std::string* read_string(const JsonValue& value) {
  return value.is_string() ? &value.text : nullptr;
}

}  // namespace borelu::manifest

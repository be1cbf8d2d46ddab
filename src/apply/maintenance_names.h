#pragma once

#include <algorithm>
#include <cctype>
#include <string_view>

#include "apply/work_folder.h"

namespace borelu::apply {

inline constexpr std::size_t WORK_DIGITS = 32;
inline constexpr std::size_t RUNNER_DIGITS = 64;

[[nodiscard]] constexpr bool all_hex_digits(std::string_view text) {
  return std::ranges::all_of(text, [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  });
}

// "work-" and exactly 32 hex digits of either case: the only maintenance entries that the
// clean-up after a successful apply treats as old work folders.
[[nodiscard]] constexpr bool is_work_folder_name(std::string_view name) {
  return name.size() == WORK_PREFIX.size() + WORK_DIGITS && name.starts_with(WORK_PREFIX) &&
         all_hex_digits(name.substr(WORK_PREFIX.size()));
}

// Exactly 64 hex digits of either case: a runner folder named by its updater's SHA-256.
[[nodiscard]] constexpr bool is_runner_folder_name(std::string_view name) {
  return name.size() == RUNNER_DIGITS && all_hex_digits(name);
}

}  // namespace borelu::apply

#pragma once

#include <string_view>

namespace borelu {

// Whether two UTF-8 texts are equal when the ASCII letters A-Z and a-z are taken as one case;
// every other byte must match exactly, so no locale or Unicode case rule comes into it.
[[nodiscard]] constexpr bool equal_ignoring_ascii_case(std::string_view first,
                                                       std::string_view second) {
  const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  if (first.size() != second.size()) {
    return false;
  }
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (fold(first[i]) != fold(second[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace borelu

#pragma once

#include <string_view>

namespace borelu {

// Whether two texts (UTF-8 or UTF-16) are equal when the ASCII letters A-Z and a-z are taken as
// one case; every other unit must match exactly, so no locale or Unicode case rule comes into it.
template <class Char>
[[nodiscard]] constexpr bool equal_ignoring_ascii_case(std::basic_string_view<Char> first,
                                                       std::basic_string_view<Char> second) {
  const auto fold = [](Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
  };
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

[[nodiscard]] constexpr bool equal_ignoring_ascii_case(std::string_view first,
                                                       std::string_view second) {
  return equal_ignoring_ascii_case<char>(first, second);
}

[[nodiscard]] constexpr bool equal_ignoring_ascii_case(std::wstring_view first,
                                                       std::wstring_view second) {
  return equal_ignoring_ascii_case<wchar_t>(first, second);
}

}  // namespace borelu

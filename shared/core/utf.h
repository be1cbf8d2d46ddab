#pragma once

#include <string>
#include <string_view>

namespace borelu {

// UTF-8 to UTF-16. Malformed UTF-8 (bad lead or continuation bytes, overlong forms, encoded
// surrogates, values above U+10FFFF) becomes U+FFFD, one per maximal bad subsequence.
[[nodiscard]] std::u16string utf8_to_utf16(std::string_view text);

// UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
[[nodiscard]] std::string utf16_to_utf8(std::u16string_view text);

// The first `count` Unicode scalar values of UTF-8 text (never cut inside a character).
[[nodiscard]] std::string_view first_scalars(std::string_view text, std::size_t count);

// Appends one Unicode scalar value as UTF-8.
void append_utf8(std::string& out, char32_t scalar);

}  // namespace borelu

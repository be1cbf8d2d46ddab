#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace borelu {

// Two lower-case hex digits per byte, in order.
[[nodiscard]] inline std::string to_lower_hex(std::span<const unsigned char> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const unsigned char byte : bytes) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
  }
  return text;
}

// Exactly eight lower-case hex digits, as Windows status codes are written in messages.
[[nodiscard]] inline std::string hex8(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) {
    text[static_cast<std::size_t>(i)] = kDigits[value & 0x0F];
  }
  return text;
}

}  // namespace borelu

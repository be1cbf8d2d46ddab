#pragma once

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

}  // namespace borelu

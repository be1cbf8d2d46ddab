#include "webview2/runtime_version.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace borelu::webview2 {
namespace {

constexpr std::size_t kMaxDataBytes = 256;

bool is_blank(char16_t unit) {
  return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

// Unpaired surrogates make the text invalid.
bool valid_utf16(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
        return false;
      }
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

// A non-empty run of "0" to "9" that fits an unsigned 32-bit number.
bool parse_part(std::u16string_view part, std::uint32_t& value) {
  if (part.empty()) {
    return false;
  }
  std::uint64_t number = 0;
  for (const char16_t unit : part) {
    if (unit < u'0' || unit > u'9') {
      return false;
    }
    number = number * 10 + static_cast<std::uint64_t>(unit - u'0');
    if (number > UINT32_MAX) {
      return false;
    }
  }
  value = static_cast<std::uint32_t>(number);
  return true;
}

}  // namespace

bool is_usable_version(std::span<const std::byte> data) {
  if (data.size() < 2 || data.size() > kMaxDataBytes || data.size() % 2 != 0) {
    return false;
  }
  std::u16string units(data.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(std::to_integer<unsigned>(data[2 * i]) |
                                     (std::to_integer<unsigned>(data[2 * i + 1]) << 8));
  }
  if (units.back() != u'\0') {
    return false;
  }
  std::u16string_view text(units.data(), units.size() - 1);
  if (!valid_utf16(text)) {
    return false;
  }
  while (!text.empty() && is_blank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && is_blank(text.back())) {
    text.remove_suffix(1);
  }
  int parts = 0;
  bool any_above_zero = false;
  for (std::size_t start = 0;; ++parts) {
    const std::size_t dot = text.find(u'.', start);
    std::uint32_t value = 0;
    if (parts == 4 || !parse_part(text.substr(start, dot - start), value)) {
      return false;
    }
    any_above_zero = any_above_zero || value > 0;
    if (dot == std::u16string_view::npos) {
      return parts == 3 && any_above_zero;
    }
    start = dot + 1;
  }
}

}  // namespace borelu::webview2

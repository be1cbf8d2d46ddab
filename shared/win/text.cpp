#include "win/text.h"

#include "core/utf.h"

namespace borelu::win {

std::wstring widen(std::string_view text) {
  const std::u16string wide = utf8_to_utf16(text);
  return std::wstring(wide.begin(), wide.end());
}

std::string narrow(std::wstring_view text) {
  return utf16_to_utf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

}  // namespace borelu::win

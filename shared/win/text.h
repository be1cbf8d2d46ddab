#pragma once

#include <string>
#include <string_view>

namespace borelu::win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

// UTF-8 held by the program to the UTF-16 a Windows call takes, and back (unpaired surrogates
// from Windows become U+FFFD).
[[nodiscard]] std::wstring widen(std::string_view text);
[[nodiscard]] std::string narrow(std::wstring_view text);

}  // namespace borelu::win

#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace borelu {

// Windows path texts, handled as text: both "\" and "/" separate components.

// `base` and `part` joined by one backslash.
[[nodiscard]] std::string join_path(std::string_view base, std::string_view part);

// The path without its last component ("C:\a\b" gives "C:\a", "C:\a" gives "C:\"); nothing for a
// root ("C:\", "\\server\share") or a bare name.
[[nodiscard]] std::optional<std::string> parent_path(std::string_view path);

// The last component ("C:\a\b.exe" gives "b.exe").
[[nodiscard]] std::string_view file_name(std::string_view path);

}  // namespace borelu

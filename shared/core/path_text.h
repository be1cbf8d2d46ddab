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

// Whether `path` names a place on a drive of this computer by its letter: "X:" and a separator,
// then components that are neither empty, "." nor "..", with no further ":" (no stream names)
// and nothing below U+0020. UNC and device paths ("\\server\share", "\\?\", "\\.\"), paths
// relative to the current folder or drive, and rooted paths without a drive are refused, so that
// nothing read from such a path can reach another computer or a device.
[[nodiscard]] bool is_local_drive_path(std::string_view path);

// The last component ("C:\a\b.exe" gives "b.exe").
[[nodiscard]] std::string_view file_name(std::string_view path);

}  // namespace borelu

#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace borelu::webview2 {

// Where the runtime's installer registers it: "pv" under the client key (machine-wide in the
// 32-bit view, or under a user's hive), "InstallerError" under the state key.
inline constexpr std::wstring_view CLIENT_KEY =
    L"Software\\Microsoft\\EdgeUpdate\\Clients\\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";
inline constexpr std::wstring_view STATE_KEY =
    L"Software\\Microsoft\\EdgeUpdate\\ClientState\\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

// Whether the raw data of a "pv" registry value names an installed runtime: a terminated UTF-16
// string of at most 256 bytes holding four decimal parts that each fit 32 bits, blanks around it
// allowed, not all parts zero (the runtime's uninstaller leaves 0.0.0.0 behind).
[[nodiscard]] bool is_usable_version(std::span<const std::byte> data);

}  // namespace borelu::webview2

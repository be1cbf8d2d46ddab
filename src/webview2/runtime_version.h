#pragma once

#include <cstddef>
#include <span>

namespace borelu::webview2 {

// Whether the raw data of a "pv" registry value names an installed runtime: a terminated UTF-16
// string of at most 256 bytes holding four decimal parts that each fit 32 bits, blanks around it
// allowed, not all parts zero (the runtime's uninstaller leaves 0.0.0.0 behind).
[[nodiscard]] bool is_usable_version(std::span<const std::byte> data);

}  // namespace borelu::webview2

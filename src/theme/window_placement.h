#pragma once

// A window's scale and its outer rectangle, centred on the primary monitor, from the system DPI.

#include <windows.h>

#include <cstdint>

namespace borelu::theme {

// GetDpiForSystem(), at least 96.
[[nodiscard]] std::uint32_t system_dpi();

struct WindowPlacement {
  float scale = 1.0f;
  std::int32_t x = 0, y = 0, width = 0, height = 0;  // outer rectangle
};

// The client area is the logical size times the scale, rounded; the frame is added for `style`
// (no menu, no extended style) at `dpi`.
[[nodiscard]] WindowPlacement centred_placement(float logical_width, float logical_height,
                                                DWORD style, std::uint32_t dpi);

}  // namespace borelu::theme

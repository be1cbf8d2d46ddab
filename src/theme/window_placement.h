#pragma once

// Where a window opens: centred on the primary monitor, at that monitor's DPI, which differs from
// the system DPI when the monitors have different scales (or the scale changed since sign-in).

#include <windows.h>

#include <cstdint>

namespace borelu::theme {

// The DPI of the monitor the program's windows open on (the primary one), at least 96; the system
// DPI if the monitor cannot say.
[[nodiscard]] std::uint32_t opening_dpi();

struct WindowPlacement {
  float scale = 1.0f;
  std::int32_t x = 0, y = 0, width = 0, height = 0;  // outer rectangle
};

// The client area is the logical size times the scale, rounded; the frame is added for `style`
// (no menu, no extended style) at `dpi`.
[[nodiscard]] WindowPlacement centred_placement(float logical_width, float logical_height,
                                                DWORD style, std::uint32_t dpi);

}  // namespace borelu::theme

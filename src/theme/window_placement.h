#pragma once

// Where a window opens and at what scale (`fit_window`): in the work area of the monitor it opens
// on (the primary one), at that monitor's DPI, which differs from the system DPI when the monitors
// have different scales (or the scale changed since sign-in), or less when the window would not
// fit there. After WM_DPICHANGED the same rule holds on the monitor the window reached.

#include <windows.h>

#include <cstdint>

#include "theme/screen_fit.h"

namespace borelu::theme {

struct WindowPlacement {
  float scale = 1.0f;
  std::int32_t x = 0, y = 0, width = 0, height = 0;  // outer rectangle
};

// The client area is the logical size times the scale, rounded; the frame is added for `style`
// (no menu, no extended style) at the monitor's DPI.
[[nodiscard]] WindowPlacement opening_placement(float logical_width, float logical_height,
                                                DWORD style);

// For WM_DPICHANGED: `dpi` and `suggested` as the message gives them.
[[nodiscard]] WindowPlacement placement_after_dpi_change(HWND window, float logical_width,
                                                         float logical_height, std::uint32_t dpi,
                                                         const RECT& suggested);

}  // namespace borelu::theme

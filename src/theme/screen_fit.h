#pragma once

// Where a top-level window opens and at what scale, decided without Windows. A window opens
// centred in the work area of its monitor (the screen less the taskbar and docked bars), at the
// monitor's scale when it fits there, otherwise at the largest scale that fits, never below
// 100 %: on a small or strongly scaled screen every control stays visible and reachable. The
// frame is drawn by the system at the monitor's DPI whatever scale the content uses, so its size
// is given at that DPI.

#include <cstdint>

#include "theme/geometry.h"

namespace borelu::theme {

// What the monitor offers a window: its DPI and its work area in virtual-screen pixels (on a
// second monitor the work area need not start at 0,0).
struct MonitorArea {
  std::uint32_t dpi = 96;
  DeviceRect work;
};

struct ScreenFit {
  std::uint32_t dpi = 96;  // the content's DPI: the monitor's, or less when that would not fit
  float scale = 1.0f;      // dpi / 96
  DeviceRect outer;        // the window's rectangle, frame included
  friend constexpr bool operator==(const ScreenFit&, const ScreenFit&) = default;
};

// The window opening: the largest DPI from the monitor's down to 96 at which the client area
// (the logical size at that scale, `client_size`) plus `frame` (what the frame adds to each
// dimension at the monitor's DPI) fits the work area; centred there. A window larger than the
// work area even at 96 keeps its top-left corner, with the caption, inside the work area.
[[nodiscard]] ScreenFit fit_window(float logical_width, float logical_height, PixelSize frame,
                                   const MonitorArea& monitor);

// The window told that it reached a monitor of another DPI (or that the scale changed), with the
// system's suggested rectangle. When the window fits at the new DPI's own scale it takes the
// suggestion unchanged: that is what keeps a window dragged across monitors from bouncing
// between their DPIs. Otherwise it takes the fitted size at the suggested corner, moved as far
// as needed to lie inside the work area.
[[nodiscard]] ScreenFit refit_window(float logical_width, float logical_height, PixelSize frame,
                                     const MonitorArea& monitor, const DeviceRect& suggested);

}  // namespace borelu::theme

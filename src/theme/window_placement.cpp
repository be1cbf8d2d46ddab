#include "theme/window_placement.h"

#include <shellscalingapi.h>

#include "theme/geometry.h"

namespace borelu::theme {

std::uint32_t opening_dpi() {
  const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  UINT x = 0;
  UINT y = 0;
  if (primary == nullptr || FAILED(GetDpiForMonitor(primary, MDT_EFFECTIVE_DPI, &x, &y))) {
    return effective_dpi(GetDpiForSystem());
  }
  return effective_dpi(x);
}

WindowPlacement centred_placement(float logical_width, float logical_height, DWORD style,
                                  std::uint32_t dpi) {
  const std::uint32_t used_dpi = effective_dpi(dpi);
  const float scale = scale_for_dpi(used_dpi);
  const PixelSize client = client_size(logical_width, logical_height, scale);
  RECT outer{0, 0, client.width, client.height};
  AdjustWindowRectExForDpi(&outer, style, FALSE, 0, used_dpi);
  const PixelSize size{outer.right - outer.left, outer.bottom - outer.top};
  const PixelPoint origin =
      centred_origin({GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, size);
  return {scale, origin.x, origin.y, size.width, size.height};
}

}  // namespace borelu::theme

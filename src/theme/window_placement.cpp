#include "theme/window_placement.h"

#include <shellscalingapi.h>

namespace borelu::theme {
namespace {

// The monitor's work area, and its DPI, or `fallback_dpi` when it cannot say. A monitor that
// cannot give its work area (it went away) leaves the whole primary screen.
MonitorArea monitor_area(HMONITOR monitor, std::uint32_t fallback_dpi) {
  MonitorArea area{fallback_dpi,
                   {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) {
    area.work = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
  }
  return area;
}

PixelSize frame_at(DWORD style, std::uint32_t dpi) {
  RECT outer{0, 0, 0, 0};
  AdjustWindowRectExForDpi(&outer, style, FALSE, 0, dpi);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

WindowPlacement placement_of(const ScreenFit& fit) {
  return {fit.scale, fit.outer.left, fit.outer.top, fit.outer.width(), fit.outer.height()};
}

}  // namespace

WindowPlacement opening_placement(float logical_width, float logical_height, DWORD style) {
  const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MonitorArea area = monitor_area(primary, GetDpiForSystem());
  UINT x = 0;
  UINT y = 0;
  if (primary != nullptr && SUCCEEDED(GetDpiForMonitor(primary, MDT_EFFECTIVE_DPI, &x, &y))) {
    area.dpi = x;
  }
  area.dpi = effective_dpi(area.dpi);
  return placement_of(fit_window(logical_width, logical_height, frame_at(style, area.dpi), area));
}

WindowPlacement placement_after_dpi_change(HWND window, float logical_width, float logical_height,
                                           std::uint32_t dpi, const RECT& suggested) {
  const MonitorArea area =
      monitor_area(MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST), effective_dpi(dpi));
  const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  return placement_of(
      refit_window(logical_width, logical_height, frame_at(style & ~WS_VISIBLE, area.dpi), area,
                   {suggested.left, suggested.top, suggested.right, suggested.bottom}));
}

}  // namespace borelu::theme

#include "theme/screen_fit.h"

#include <algorithm>

namespace borelu::theme {
namespace {

PixelSize outer_size(float logical_width, float logical_height, PixelSize frame,
                     std::uint32_t dpi) {
  const PixelSize client = client_size(logical_width, logical_height, scale_for_dpi(dpi));
  return {client.width + frame.width, client.height + frame.height};
}

bool fits(PixelSize outer, const DeviceRect& work) {
  return outer.width <= work.width() && outer.height <= work.height();
}

// The first coordinate at or after `start` (and not before `low`) that keeps `size` before
// `high`, when it can.
std::int32_t inside(std::int32_t start, std::int32_t size, std::int32_t low, std::int32_t high) {
  return std::max(std::min(start, high - size), low);
}

}  // namespace

ScreenFit fit_window(float logical_width, float logical_height, PixelSize frame,
                     const MonitorArea& monitor) {
  // A few hundred steps at most, each a multiplication: plainer than solving for the DPI and
  // then correcting for rounding.
  std::uint32_t dpi = effective_dpi(monitor.dpi);
  while (dpi > 96 && !fits(outer_size(logical_width, logical_height, frame, dpi), monitor.work)) {
    --dpi;
  }
  const PixelSize size = outer_size(logical_width, logical_height, frame, dpi);
  const PixelPoint centred = centred_origin({monitor.work.width(), monitor.work.height()}, size);
  const std::int32_t x = std::max(monitor.work.left + centred.x, monitor.work.left);
  const std::int32_t y = std::max(monitor.work.top + centred.y, monitor.work.top);
  return {dpi, scale_for_dpi(dpi), {x, y, x + size.width, y + size.height}};
}

ScreenFit refit_window(float logical_width, float logical_height, PixelSize frame,
                       const MonitorArea& monitor, const DeviceRect& suggested) {
  const ScreenFit fitted = fit_window(logical_width, logical_height, frame, monitor);
  if (fitted.dpi == effective_dpi(monitor.dpi)) {
    return {fitted.dpi, fitted.scale, suggested};
  }
  const std::int32_t width = fitted.outer.width();
  const std::int32_t height = fitted.outer.height();
  const std::int32_t x = inside(suggested.left, width, monitor.work.left, monitor.work.right);
  const std::int32_t y = inside(suggested.top, height, monitor.work.top, monitor.work.bottom);
  return {fitted.dpi, fitted.scale, {x, y, x + width, y + height}};
}

}  // namespace borelu::theme

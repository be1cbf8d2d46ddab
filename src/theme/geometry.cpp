#include "theme/geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace borelu::theme {

std::int32_t round_to_pixel(double value) {
  if (std::isnan(value)) {
    return 0;
  }
  const double rounded = std::round(value);  // halves away from zero
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  if (rounded >= static_cast<double>(kMax)) {
    return kMax;
  }
  if (rounded <= static_cast<double>(kMin)) {
    return kMin;
  }
  return static_cast<std::int32_t>(rounded);
}

std::int32_t scaled(float dips, float scale) {
  return round_to_pixel(static_cast<double>(dips) * scale);
}

DeviceRect scale_rect(const LogicalRect& rect, const LogicalSpace& space) {
  const double s = space.scale;
  const double x = space.right_to_left ? double{space.width} - rect.x - rect.w : double{rect.x};
  const double y = rect.y;
  return {round_to_pixel(x * s), round_to_pixel(y * s), round_to_pixel((x + rect.w) * s),
          round_to_pixel((y + rect.h) * s)};
}

std::uint32_t effective_dpi(std::uint32_t dpi) {
  return std::max<std::uint32_t>(dpi, 96);
}

float scale_for_dpi(std::uint32_t dpi) {
  return static_cast<float>(effective_dpi(dpi)) / 96.0f;
}

PixelSize client_size(float logical_width, float logical_height, float scale) {
  return {scaled(logical_width, scale), scaled(logical_height, scale)};
}

PixelPoint centred_origin(PixelSize screen, PixelSize outer) {
  const auto half = [](std::int64_t available, std::int64_t size) {
    return static_cast<std::int32_t>((available - size) / 2);
  };
  return {half(screen.width, outer.width), half(screen.height, outer.height)};
}

std::array<ArcBox, 4> round_rect_arcs(const RectF& r, float radius) {
  const float d = std::max(std::min({2.0f * radius, r.w, r.h}), SMALLEST_ARC);
  return {{{r.x, r.y, d, 180.0f},
           {r.x + r.w - d, r.y, d, 270.0f},
           {r.x + r.w - d, r.y + r.h - d, d, 0.0f},
           {r.x, r.y + r.h - d, d, 90.0f}}};
}

RectF stroke_path_rect(const RectF& rect, float pen_width) {
  return {rect.x + pen_width / 2, rect.y + pen_width / 2, rect.w - pen_width, rect.h - pen_width};
}

}  // namespace borelu::theme

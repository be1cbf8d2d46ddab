#pragma once

// Where things go on screen, decided without Windows: logical coordinates (DIPs in a window of
// fixed logical width) to device pixels with right-to-left mirroring, the DPI rule, window size
// and centring, and the arcs of a rounded rectangle.

#include <algorithm>
#include <array>
#include <cstdint>

namespace borelu::theme {

// The logical widths all positions are given in; mirroring reflects across them.
inline constexpr float WIZARD_WIDTH = 720.0f;
inline constexpr float WIZARD_HEIGHT = 580.0f;
inline constexpr float PROGRESS_WIDTH = 520.0f;
inline constexpr float PROGRESS_HEIGHT = 232.0f;

struct LogicalRect {
  float x = 0, y = 0, w = 0, h = 0;
};

// Whole device pixels, right and bottom exclusive (as a Windows RECT).
struct DeviceRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;

  [[nodiscard]] constexpr std::int32_t width() const { return right - left; }
  [[nodiscard]] constexpr std::int32_t height() const { return bottom - top; }
  // Whether the two share at least one pixel.
  [[nodiscard]] constexpr bool overlaps(const DeviceRect& other) const {
    return std::max(left, other.left) < std::min(right, other.right) &&
           std::max(top, other.top) < std::min(bottom, other.bottom);
  }
  friend constexpr bool operator==(const DeviceRect&, const DeviceRect&) = default;
};

// Device coordinates that need not be whole: what GDI+ shapes are drawn at.
struct PointF {
  float x = 0, y = 0;
  friend constexpr bool operator==(const PointF&, const PointF&) = default;
};

struct RectF {
  float x = 0, y = 0, w = 0, h = 0;
  friend constexpr bool operator==(const RectF&, const RectF&) = default;
};

[[nodiscard]] constexpr RectF to_rect_f(const DeviceRect& r) {
  return {static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.width()),
          static_cast<float>(r.height())};
}

// The space one window lays itself out in: its logical width, its scale (device pixels per
// DIP) and whether it is mirrored.
struct LogicalSpace {
  float width = WIZARD_WIDTH;
  float scale = 1.0f;
  bool right_to_left = false;
};

// Nearest integer, halves away from zero. Saturates: not-a-number gives 0, values beyond the
// 32-bit range give the nearest representable extreme.
[[nodiscard]] std::int32_t round_to_pixel(double value);

// r(v): a length in DIPs at a scale, rounded to whole pixels.
[[nodiscard]] std::int32_t scaled(float dips, float scale);

// Logical rectangle to device pixels. In right-to-left mode x becomes width - x - w first. Every
// edge is rounded on its own, so right and bottom come from x + w and y + h, not from a rounded
// size.
[[nodiscard]] DeviceRect scale_rect(const LogicalRect& rect, const LogicalSpace& space);

// The scale of a window created at this system DPI; a DPI below 96 counts as 96.
[[nodiscard]] float scale_for_dpi(std::uint32_t dpi);
[[nodiscard]] std::uint32_t effective_dpi(std::uint32_t dpi);

struct PixelSize {
  std::int32_t width = 0, height = 0;
  friend constexpr bool operator==(const PixelSize&, const PixelSize&) = default;
};

struct PixelPoint {
  std::int32_t x = 0, y = 0;
  friend constexpr bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// A window's client area in pixels: its logical size times the scale, each side rounded.
[[nodiscard]] PixelSize client_size(float logical_width, float logical_height, float scale);

// Top-left corner that centres a window of `outer` size on a screen (integer division, so a
// window larger than the screen gets a negative corner).
[[nodiscard]] PixelPoint centred_origin(PixelSize screen, PixelSize outer);

// One quarter arc of a rounded rectangle: a diameter x diameter box and its start angle in
// degrees; each sweeps 90 degrees.
struct ArcBox {
  float x = 0, y = 0, diameter = 0, start_angle = 0;
  friend constexpr bool operator==(const ArcBox&, const ArcBox&) = default;
};

inline constexpr float ARC_SWEEP = 90.0f;
inline constexpr float SMALLEST_ARC = 0.01f;

// The four corners of a rounded rectangle, clockwise from the top-left. The diameter is
// min(2 radius, w, h) and at least 0.01, so an oversized radius gives a capsule or a circle and
// an empty rectangle a tiny but valid figure.
[[nodiscard]] std::array<ArcBox, 4> round_rect_arcs(const RectF& rect, float radius);

// The path a pen of this width follows so that its whole stroke lies inside `rect`.
[[nodiscard]] RectF stroke_path_rect(const RectF& rect, float pen_width);

}  // namespace borelu::theme

#pragma once

// The drawing primitives both windows paint with: rounded rectangles and circles through GDI+
// (anti-aliased), text and the program icon through GDI. Every object a primitive creates is
// deleted before it returns.

#include <windows.h>

#include <array>
#include <cstdint>
#include <string_view>

#include "theme/gdiplus.h"
#include "theme/geometry.h"
#include "theme/palette.h"
#include "theme/typography.h"

namespace borelu::theme {

// The GDI+ graphics object of one paint, on a device context, with anti-aliasing. Shapes must
// be drawn, and this object gone, before text is drawn with GDI on the same context.
class Shapes {
 public:
  explicit Shapes(HDC dc);
  Shapes(const Shapes&) = delete;
  Shapes& operator=(const Shapes&) = delete;

  // Null when GDI+ could not start or the graphics could not be made: nothing is drawn.
  [[nodiscard]] Gdiplus::GpGraphics* get() const { return graphics_.get(); }

 private:
  gdiplus::Graphics graphics_;
};

void fill_round_rect(const Shapes& shapes, const RectF& rect, float radius, Colour colour,
                     std::uint8_t alpha = 255);
// The stroke lies inside `rect`: its path is inset by half the pen.
void stroke_round_rect(const Shapes& shapes, const RectF& rect, float radius, Colour colour,
                       std::uint8_t alpha, float pen_width);
void fill_circle(const Shapes& shapes, float x, float y, float diameter, Colour colour);
// Opaque straight lines through `points` drawn one segment at a time, with round caps.
void draw_round_capped_lines(const Shapes& shapes, const std::array<PointF, 3>& points,
                             Colour colour, float pen_width);

inline void fill_round_rect(const Shapes& shapes, const DeviceRect& rect, float radius,
                            Colour colour, std::uint8_t alpha = 255) {
  fill_round_rect(shapes, to_rect_f(rect), radius, colour, alpha);
}
inline void stroke_round_rect(const Shapes& shapes, const DeviceRect& rect, float radius,
                              Colour colour, std::uint8_t alpha, float pen_width) {
  stroke_round_rect(shapes, to_rect_f(rect), radius, colour, alpha, pen_width);
}

// Selects `font` into the context (and leaves it there), draws transparently in `colour`.
void draw_text(HDC dc, std::wstring_view text, const DeviceRect& rect, HFONT font, Colour colour,
               Align align, bool right_to_left, TextFormat format);
void draw_text(HDC dc, std::string_view text, const DeviceRect& rect, HFONT font, Colour colour,
               Align align, bool right_to_left, TextFormat format);

// The dotted focus rectangle of a focused control, drawn by inverting the pixels under it, so it
// shows on any colour.
void draw_focus_rectangle(HDC dc, const DeviceRect& rect);

// Icon resource 1 of the program at size x size pixels; nothing when it cannot be loaded.
void draw_app_icon(HDC dc, std::int32_t x, std::int32_t y, std::int32_t size);

}  // namespace borelu::theme

#include "theme/canvas.h"

#include <string>

#include "win/gdi.h"
#include "win/text.h"

namespace borelu::theme {

namespace flat = gdiplus::flat;

namespace {

gdiplus::Path round_rect_path(const RectF& rect, float radius) {
  gdiplus::Path path;
  if (flat::GdipCreatePath(Gdiplus::FillModeAlternate, path.put()) != Gdiplus::Ok) {
    return {};
  }
  for (const ArcBox& arc : round_rect_arcs(rect, radius)) {
    flat::GdipAddPathArc(path.get(), arc.x, arc.y, arc.diameter, arc.diameter, arc.start_angle,
                         ARC_SWEEP);
  }
  flat::GdipClosePathFigure(path.get());
  return path;
}

gdiplus::Brush solid_brush(Colour colour, std::uint8_t alpha) {
  Gdiplus::GpSolidFill* fill = nullptr;
  if (flat::GdipCreateSolidFill(colour.argb(alpha), &fill) != Gdiplus::Ok) {
    return {};
  }
  return gdiplus::Brush(fill);
}

gdiplus::Pen pixel_pen(Colour colour, std::uint8_t alpha, float width) {
  gdiplus::Pen pen;
  if (flat::GdipCreatePen1(colour.argb(alpha), width, Gdiplus::UnitPixel, pen.put()) !=
      Gdiplus::Ok) {
    return {};
  }
  return pen;
}

UINT format_bits(TextFormat format) {
  switch (format) {
    case TextFormat::single_line:
      return DT_SINGLELINE;
    case TextFormat::single_line_centred:
      return DT_SINGLELINE | DT_VCENTER;
    case TextFormat::single_line_ellipsis:
      return DT_SINGLELINE | DT_END_ELLIPSIS;
    case TextFormat::single_line_centred_ellipsis:
      return DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    case TextFormat::single_line_path_ellipsis:
      return DT_SINGLELINE | DT_PATH_ELLIPSIS;
    case TextFormat::wrapped:
      return DT_WORDBREAK;
    case TextFormat::wrapped_ellipsis:
      return DT_WORDBREAK | DT_END_ELLIPSIS;
  }
  return DT_SINGLELINE;
}

}  // namespace

Shapes::Shapes(HDC dc) {
  if (!gdiplus::started() || flat::GdipCreateFromHDC(dc, graphics_.put()) != Gdiplus::Ok) {
    graphics_.reset();
    return;
  }
  flat::GdipSetSmoothingMode(graphics_.get(), Gdiplus::SmoothingModeAntiAlias);
}

void fill_round_rect(const Shapes& shapes, const RectF& rect, float radius, Colour colour,
                     std::uint8_t alpha) {
  if (shapes.get() == nullptr) {
    return;
  }
  const gdiplus::Path path = round_rect_path(rect, radius);
  const gdiplus::Brush brush = solid_brush(colour, alpha);
  if (path && brush) {
    flat::GdipFillPath(shapes.get(), brush.get(), path.get());
  }
}

void stroke_round_rect(const Shapes& shapes, const RectF& rect, float radius, Colour colour,
                       std::uint8_t alpha, float pen_width) {
  if (shapes.get() == nullptr) {
    return;
  }
  const gdiplus::Path path = round_rect_path(stroke_path_rect(rect, pen_width), radius);
  const gdiplus::Pen pen = pixel_pen(colour, alpha, pen_width);
  if (path && pen) {
    flat::GdipDrawPath(shapes.get(), pen.get(), path.get());
  }
}

void fill_circle(const Shapes& shapes, float x, float y, float diameter, Colour colour) {
  if (shapes.get() == nullptr) {
    return;
  }
  const gdiplus::Brush brush = solid_brush(colour, 255);
  if (brush) {
    flat::GdipFillEllipse(shapes.get(), brush.get(), x, y, diameter, diameter);
  }
}

void draw_round_capped_lines(const Shapes& shapes, const std::array<PointF, 3>& points,
                             Colour colour, float pen_width) {
  if (shapes.get() == nullptr) {
    return;
  }
  const gdiplus::Pen pen = pixel_pen(colour, 255, pen_width);
  if (!pen) {
    return;
  }
  flat::GdipSetPenStartCap(pen.get(), Gdiplus::LineCapRound);
  flat::GdipSetPenEndCap(pen.get(), Gdiplus::LineCapRound);
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    flat::GdipDrawLine(shapes.get(), pen.get(), points[i].x, points[i].y, points[i + 1].x,
                       points[i + 1].y);
  }
}

void draw_text(HDC dc, std::wstring_view text, const DeviceRect& rect, HFONT font, Colour colour,
               Align align, bool right_to_left, TextFormat format) {
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour.colorref());
  const AlignmentBits bits = alignment_bits(align, right_to_left);
  UINT flags = format_bits(format) | DT_NOPREFIX;
  flags |= bits.right ? DT_RIGHT : 0;
  flags |= bits.centre ? DT_CENTER : 0;
  flags |= bits.rtl_reading ? DT_RTLREADING : 0;
  const std::wstring terminated(text);
  RECT box{rect.left, rect.top, rect.right, rect.bottom};
  DrawTextW(dc, terminated.c_str(), -1, &box, flags);
}

void draw_text(HDC dc, std::string_view text, const DeviceRect& rect, HFONT font, Colour colour,
               Align align, bool right_to_left, TextFormat format) {
  draw_text(dc, std::wstring_view(win::widen(text)), rect, font, colour, align, right_to_left,
            format);
}

void draw_focus_rectangle(HDC dc, const DeviceRect& rect) {
  const RECT r{rect.left, rect.top, rect.right, rect.bottom};
  DrawFocusRect(dc, &r);
}

void draw_app_icon(HDC dc, std::int32_t x, std::int32_t y, std::int32_t size) {
  const win::Icon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                                     IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  if (icon) {
    DrawIconEx(dc, x, y, icon.get(), size, size, 0, nullptr, DI_NORMAL);
  }
}

}  // namespace borelu::theme

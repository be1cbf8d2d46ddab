#include "theme/push_button.h"

#include "theme/canvas.h"
#include "theme/hover.h"
#include "theme/paint_buffer.h"

namespace borelu::theme {

ButtonState button_state(const DRAWITEMSTRUCT& item) {
  return {.disabled = (item.itemState & ODS_DISABLED) != 0,
          .pressed = (item.itemState & ODS_SELECTED) != 0,
          .focused = (item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0,
          .hovered = is_hovered(item.hwndItem)};
}

void draw_push_button(const DRAWITEMSTRUCT& item, std::string_view text, ButtonVariant variant,
                      HFONT font, float scale, bool right_to_left, const Palette& palette) {
  const ButtonState state = button_state(item);
  const ButtonLook look = push_button_look(variant, state, palette);
  paint_item(item, palette.background, [&](HDC dc, const DeviceRect& area) {
    const PushButtonLayout layout = push_button_layout(area, state, scale, palette);
    {
      const Shapes shapes(dc);
      fill_round_rect(shapes, layout.body, layout.radius, look.fill);
      if (look.outline) {
        stroke_round_rect(shapes, layout.body, layout.radius, look.outline->colour,
                          look.outline->alpha, layout.outline_width);
      }
      if (layout.focus_ring) {
        const RoundStroke& ring = *layout.focus_ring;
        stroke_round_rect(shapes, ring.rect, ring.radius, ring.outline.colour, ring.outline.alpha,
                          ring.pen_width);
      }
    }
    draw_text(dc, text, layout.text, font, look.text, Align::centre, right_to_left,
              TextFormat::single_line_centred);
    if (layout.focus_rect) {
      draw_focus_rectangle(dc, *layout.focus_rect);
    }
  });
}

}  // namespace borelu::theme

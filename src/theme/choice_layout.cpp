#include "theme/choice_layout.h"

namespace borelu::theme {
namespace {

bool is_card(ChoiceKind kind) {
  return kind == ChoiceKind::english_card || kind == ChoiceKind::arabic_card;
}

float fx(std::int32_t v) {
  return static_cast<float>(v);
}

}  // namespace

ChoiceFrame choice_frame(ChoiceKind kind, const DeviceRect& item, const ChoiceState& state,
                         float scale, const Palette& palette) {
  const Palette& p = palette;
  const bool selected_card = is_card(kind) && state.on;
  const Colour fill = selected_card   ? p.selected_surface
                      : state.hovered ? p.hover_surface
                                      : p.surface;
  const bool accented = state.focused || selected_card;
  const Colour outline = accented ? p.accent : state.hovered ? p.hover_border : p.border;
  return {.fill = fill,
          .outline = {.rect = item,
                      .radius = 14.0f * scale,
                      .outline = {outline, 255},
                      .pen_width = (accented ? 1.6f : 1.0f) * scale},
          .focus_rect = focus_rectangle(item, state.focused, 6, scale, p)};
}

LanguageCardLayout language_card_layout(ChoiceKind card, const DeviceRect& item, bool on,
                                        float scale, bool wizard_right_to_left,
                                        const Palette& palette) {
  const std::int32_t w = item.width();
  const std::int32_t d = scaled(22, scale);
  const std::int32_t e = scaled(80, scale);
  const std::int32_t radio_x = wizard_right_to_left ? d : w - 2 * d;
  const std::int32_t left = wizard_right_to_left ? e - d : d;
  const std::int32_t right = w + left - e;
  const bool card_rtl = card == ChoiceKind::arabic_card;
  const auto row = [&](float top, float height, Colour colour) {
    const std::int32_t y = scaled(top, scale);
    return TextBox{
        {item.left + left, item.top + y, item.left + right, item.top + y + scaled(height, scale)},
        card_rtl,
        colour};
  };

  const Palette& p = palette;
  LanguageCardLayout layout{.radio = {fx(item.left + radio_x), fx(item.top + d), fx(d), fx(d)},
                            .ring = {on ? p.selected_mark : p.mark_off, 255},
                            .ring_width = 1.6f * scale,
                            .dot = std::nullopt,
                            .title = row(20, 30, on ? p.selected_title : p.text_primary),
                            .subtitle = row(56, 24, on ? p.selected_subtitle : p.text_secondary)};
  if (on) {
    const float quarter = fx(d) / 4;
    layout.dot =
        Circle{layout.radio.x + quarter, layout.radio.y + quarter, fx(d) / 2, p.selected_mark};
  }
  return layout;
}

AgreementLayout agreement_layout(const DeviceRect& item, bool on, float scale,
                                 bool wizard_right_to_left, const Palette& palette) {
  const std::int32_t w = item.width();
  const std::int32_t h = item.height();
  const std::int32_t b = scaled(22, scale);
  const std::int32_t m = scaled(16, scale);
  const std::int32_t x = item.left + (wizard_right_to_left ? w - b - m : m);
  const std::int32_t y = item.top + (h - b) / 2;
  const std::int32_t near_inset = scaled(52, scale);
  const std::int32_t far_inset = scaled(80, scale);

  AgreementLayout layout{
      .box = {fx(x), fx(y), fx(b), fx(b)},
      .radius = 6.0f * scale,
      .box_fill = std::nullopt,
      .mark = std::nullopt,
      .box_outline = std::nullopt,
      .outline_width = 1.6f * scale,
      .text = {
          wizard_right_to_left
              ? DeviceRect{item.left + far_inset, item.top, item.right - near_inset, item.bottom}
              : DeviceRect{item.left + near_inset, item.top, item.right - far_inset, item.bottom},
          wizard_right_to_left, palette.text_primary}};
  if (on) {
    const auto at = [&](float u, float v) { return PointF{fx(x) + u * fx(b), fx(y) + v * fx(b)}; };
    layout.box_fill = palette.accent_fill;
    layout.mark = CheckMark{
        {at(0.22f, 0.52f), at(0.43f, 0.72f), at(0.78f, 0.30f)}, palette.on_accent, 2.2f * scale};
  } else {
    layout.box_outline = Outline{palette.mark_off, 255};
  }
  return layout;
}

SwitchLayout switch_layout(const DeviceRect& item, bool on, float scale, bool wizard_right_to_left,
                           const Palette& palette) {
  const std::int32_t w = item.width();
  const std::int32_t h = item.height();
  const std::int32_t m = scaled(18, scale);
  const std::int32_t tw = scaled(44, scale);
  const std::int32_t th = scaled(26, scale);
  const std::int32_t track_left = item.left + (wizard_right_to_left ? m : w - m - tw);
  const std::int32_t top = item.top + (h - th) / 2;
  const float k = 18.0f * scale;
  const float inset = (fx(th) - k) / 2;
  const float at_left = fx(track_left) + inset;
  const float at_right = fx(track_left + tw) - inset - k;
  // The knob sits at the end side when on: right in English, left in Arabic.
  const bool knob_right = on != wizard_right_to_left;
  const std::int32_t start_inset = scaled(20, scale);
  const std::int32_t switch_inset = scaled(80, scale);

  const Palette& p = palette;
  return {
      .track = {fx(track_left), fx(top), fx(tw), fx(th)},
      .radius = fx(th) / 2,
      .track_fill = on ? p.accent_fill : p.hover_surface,
      .track_outline = on ? Outline{p.accent, p.alpha(110)} : Outline{p.border, 255},
      .outline_width = 1.0f * scale,
      .knob = {knob_right ? at_right : at_left, fx(top) + inset, k, on ? p.on_accent : p.mark_off},
      .text = {wizard_right_to_left ? DeviceRect{item.left + switch_inset, item.top,
                                                 item.right - start_inset, item.bottom}
                                    : DeviceRect{item.left + start_inset, item.top,
                                                 item.right - switch_inset, item.bottom},
               wizard_right_to_left, p.text_primary}};
}

}  // namespace borelu::theme

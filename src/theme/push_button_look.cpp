#include "theme/push_button_look.h"

namespace borelu::theme {

ButtonLook push_button_look(ButtonVariant variant, const ButtonState& state,
                            const Palette& palette) {
  const Palette& p = palette;
  switch (variant) {
    case ButtonVariant::primary:
      if (state.disabled) {
        // In high contrast the disabled button keeps its shape in grey text's colour.
        return {.text = p.disabled_text,
                .fill = p.disabled_face,
                .outline = p.high_contrast ? std::optional<Outline>(Outline{p.disabled_text, 255})
                                           : std::nullopt};
      }
      return {.text = p.on_accent,
              .fill = state.hovered && !state.pressed ? p.accent_fill_hover : p.accent_fill,
              .outline = Outline{p.accent, p.alpha(90)}};
    case ButtonVariant::secondary:
      return {.text = state.disabled ? p.disabled_quiet_text : p.button_text,
              .fill = state.hovered && !state.disabled ? p.button_hover_face : p.button_face,
              .outline = Outline{state.disabled  ? p.disabled_border
                                 : state.hovered ? p.hover_border
                                                 : p.button_border,
                                 255}};
    case ButtonVariant::ghost:
      return {.text = state.disabled && p.high_contrast ? p.disabled_text : p.ghost_text,
              .fill = state.hovered && !state.disabled ? p.button_face : p.background,
              .outline = state.hovered ? std::optional<Outline>(Outline{p.hover_border, 255})
                                       : std::nullopt};
  }
  return {};
}

std::optional<DeviceRect> focus_rectangle(const DeviceRect& item, bool focused, float inset,
                                          float scale, const Palette& palette) {
  if (!focused || !palette.high_contrast) {
    return std::nullopt;
  }
  const std::int32_t d = scaled(inset, scale);
  return DeviceRect{item.left + d, item.top + d, item.right - d, item.bottom - d};
}

PushButtonLayout push_button_layout(const DeviceRect& item, const ButtonState& state, float scale,
                                    const Palette& palette) {
  PushButtonLayout layout{.body = item,
                          .radius = 10.0f * scale,
                          .outline_width = 1.0f * scale,
                          .focus_ring = std::nullopt,
                          .text = item,
                          .focus_rect = focus_rectangle(item, state.focused, 5, scale, palette)};
  if (state.pressed && !state.disabled) {
    const std::int32_t shift = scaled(1.0f, scale);
    layout.body.top += shift;
    layout.body.bottom += shift;
  }
  if (state.focused) {
    layout.focus_ring = RoundStroke{.rect = item,
                                    .radius = 10.0f * scale,
                                    .outline = {palette.accent, 255},
                                    .pen_width = 2.0f * scale};
  }
  return layout;
}

}  // namespace borelu::theme

#include "theme/push_button_look.h"

namespace borelu::theme {

using namespace palette;

ButtonLook push_button_look(ButtonVariant variant, const ButtonState& state) {
  switch (variant) {
    case ButtonVariant::primary:
      if (state.disabled) {
        return {.text = TextSecondary, .fill = HoverSurface, .outline = std::nullopt};
      }
      return {.text = White,
              .fill = state.hovered && !state.pressed ? AccentFillHover : AccentFill,
              .outline = Outline{Accent, 90}};
    case ButtonVariant::secondary:
      return {.text = state.disabled ? Border : TextPrimary,
              .fill = state.hovered && !state.disabled ? HoverSurface : Surface,
              .outline = Outline{Border, 255}};
    case ButtonVariant::ghost:
      return {
          .text = TextSecondary,
          .fill = state.hovered && !state.disabled ? Surface : Background,
          .outline = state.hovered ? std::optional<Outline>(Outline{Border, 255}) : std::nullopt};
  }
  return {};
}

PushButtonLayout push_button_layout(const DeviceRect& item, const ButtonState& state, float scale) {
  PushButtonLayout layout{.body = item,
                          .radius = 10.0f * scale,
                          .outline_width = 1.0f * scale,
                          .focus_ring = std::nullopt,
                          .text = item};
  if (state.pressed && !state.disabled) {
    const std::int32_t shift = scaled(1.0f, scale);
    layout.body.top += shift;
    layout.body.bottom += shift;
  }
  if (state.focused) {
    layout.focus_ring = RoundStroke{.rect = item,
                                    .radius = 10.0f * scale,
                                    .outline = {palette::Accent, 255},
                                    .pen_width = 2.0f * scale};
  }
  return layout;
}

}  // namespace borelu::theme

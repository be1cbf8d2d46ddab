#pragma once

// How an owner-drawn push button looks in each state, decided without Windows.

#include <cstdint>
#include <optional>

#include "theme/geometry.h"
#include "theme/palette.h"

namespace borelu::theme {

// Next/Install is primary, Back and the progress window's Cancel secondary, the wizard's Cancel
// ghost.
enum class ButtonVariant { primary, secondary, ghost };

// From the draw-item state (disabled, pressed, focused) and the hover tracking (hovered).
struct ButtonState {
  bool disabled = false;
  bool pressed = false;
  bool focused = false;
  bool hovered = false;
};

struct Outline {
  Colour colour;
  std::uint8_t alpha = 255;
  friend constexpr bool operator==(const Outline&, const Outline&) = default;
};

struct ButtonLook {
  Colour text;
  Colour fill;
  std::optional<Outline> outline;  // none: the body is not stroked
  friend constexpr bool operator==(const ButtonLook&, const ButtonLook&) = default;
};

[[nodiscard]] ButtonLook push_button_look(ButtonVariant variant, const ButtonState& state,
                                          const Palette& palette);

// A stroke along a rounded rectangle, inside it.
struct RoundStroke {
  DeviceRect rect;
  float radius = 0;
  Outline outline;
  float pen_width = 0;
};

struct PushButtonLayout {
  DeviceRect body;  // moved down by the scale in whole pixels while pressed
  float radius = 0;
  float outline_width = 0;
  std::optional<RoundStroke> focus_ring;  // around the unmoved item rectangle
  DeviceRect text;                        // the unmoved item rectangle
  // Inside the focus ring, in high contrast only: a focus rectangle that shows the focus whatever
  // the scheme's colours.
  std::optional<DeviceRect> focus_rect;
};

[[nodiscard]] PushButtonLayout push_button_layout(const DeviceRect& item, const ButtonState& state,
                                                  float scale, const Palette& palette);

// The dotted focus rectangle that high contrast adds to a focused control: inset from its item.
[[nodiscard]] std::optional<DeviceRect> focus_rectangle(const DeviceRect& item, bool focused,
                                                        float inset, float scale,
                                                        const Palette& palette);

}  // namespace borelu::theme

#pragma once

// The wizard's owner-drawn choices (the two language cards, the agreement row and the three
// switch rows), laid out and coloured without Windows. Every position is in device pixels of the
// target, inside the item rectangle; "start" and "end" follow the wizard's direction.

#include <array>
#include <optional>

#include "theme/geometry.h"
#include "theme/palette.h"
#include "theme/push_button_look.h"

namespace borelu::theme {

enum class ChoiceKind { english_card, arabic_card, agreement, switch_row };

struct ChoiceState {
  bool on = false;
  bool hovered = false;
  bool focused = false;
};

// The frame every choice shares: a filled, outlined rounded rectangle over the whole item, and in
// high contrast a focus rectangle inside it while it has the focus.
struct ChoiceFrame {
  Colour fill;
  RoundStroke outline;
  std::optional<DeviceRect> focus_rect;
};

[[nodiscard]] ChoiceFrame choice_frame(ChoiceKind kind, const DeviceRect& item,
                                       const ChoiceState& state, float scale,
                                       const Palette& palette);

struct Circle {
  float x = 0, y = 0, diameter = 0;  // top-left of the bounding box
  Colour colour;

  [[nodiscard]] PointF centre() const { return {x + diameter / 2, y + diameter / 2}; }
};

struct TextBox {
  DeviceRect rect;
  bool right_to_left = false;
  Colour colour;
};

struct LanguageCardLayout {
  RectF radio;  // the d x d box of the radio mark, on the end side
  Outline ring;
  float ring_width = 0;
  std::optional<Circle> dot;  // when on
  TextBox title;
  TextBox subtitle;  // both in the card's own direction, whatever the wizard's
};

[[nodiscard]] LanguageCardLayout language_card_layout(ChoiceKind card, const DeviceRect& item,
                                                      bool on, float scale,
                                                      bool wizard_right_to_left,
                                                      const Palette& palette);

struct CheckMark {
  std::array<PointF, 3> points;
  Colour colour;
  float width = 0;  // with round start and end caps
};

struct AgreementLayout {
  RectF box;  // on the start side
  float radius = 0;
  std::optional<Colour> box_fill;      // when on
  std::optional<CheckMark> mark;       // when on
  std::optional<Outline> box_outline;  // when off
  float outline_width = 0;
  TextBox text;
};

[[nodiscard]] AgreementLayout agreement_layout(const DeviceRect& item, bool on, float scale,
                                               bool wizard_right_to_left, const Palette& palette);

struct SwitchLayout {
  RectF track;  // on the end side
  float radius = 0;
  Colour track_fill;
  Outline track_outline;
  float outline_width = 0;
  Circle knob;  // at the end side when on, the start side when off
  TextBox text;
};

[[nodiscard]] SwitchLayout switch_layout(const DeviceRect& item, bool on, float scale,
                                         bool wizard_right_to_left, const Palette& palette);

}  // namespace borelu::theme

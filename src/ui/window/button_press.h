#pragma once

// How an owner-drawn button is pressed and when a press is a click, as the system's push buttons
// do it: the left mouse button presses it and holds the pointer; the button looks pushed while the
// pointer is over it, and a release over it clicks. Space presses it and releasing Space clicks.
// A press ends without a click when the button loses the pointer's capture or the focus.

namespace borelu::ui {

enum class PressInput {
  mouse_down,
  mouse_moved_inside,
  mouse_moved_outside,
  mouse_up_inside,
  mouse_up_outside,
  space_down,  // also each repeat while Space is held
  space_up,
  capture_lost,
  focus_lost,
};

struct ButtonPress {
  enum class By { nothing, mouse, space };
  By by = By::nothing;
  bool pushed = false;  // drawn pushed in

  [[nodiscard]] bool pressed() const { return by != By::nothing; }
  bool operator==(const ButtonPress&) const = default;
};

struct PressStep {
  ButtonPress next;
  bool clicked = false;
};

[[nodiscard]] PressStep press_step(ButtonPress current, PressInput input);

}  // namespace borelu::ui

#include "ui/window/button_press.h"

namespace borelu::ui {

PressStep press_step(ButtonPress current, PressInput input) {
  using By = ButtonPress::By;
  constexpr ButtonPress released{};
  switch (input) {
    case PressInput::mouse_down:
      return {{By::mouse, true}};
    case PressInput::mouse_moved_inside:
    case PressInput::mouse_moved_outside:
      if (current.by == By::mouse) {
        current.pushed = input == PressInput::mouse_moved_inside;
      }
      return {current};
    case PressInput::mouse_up_inside:
    case PressInput::mouse_up_outside:
      if (current.by != By::mouse) {
        return {current};
      }
      return {released, input == PressInput::mouse_up_inside};
    case PressInput::space_down:
      // A repeat, or Space while the mouse holds the button, changes nothing.
      return {current.pressed() ? current : ButtonPress{By::space, true}};
    case PressInput::space_up:
      if (current.by != By::space) {
        return {current};
      }
      return {released, true};
    case PressInput::capture_lost:
    case PressInput::focus_lost:
      return {released};
  }
  return {current};
}

}  // namespace borelu::ui

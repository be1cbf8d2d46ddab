#pragma once

// What a screen reader is told about one thing in a window, decided without Windows: what it is,
// what it is called and says, its state, and what its default action does. A window lists its
// items in reading order; the Win32 layer serves them through Active Accessibility.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "theme/geometry.h"
#include "ui/language.h"

namespace borelu::ui {

enum class AccessibleRole {
  static_text,   // a text the window paints
  push_button,   // an owner-drawn button that does something when pressed
  radio_button,  // one of a group of exclusive choices
  check_button,  // a choice that is on or off
  progress_bar,  // a painted bar
  standard,      // a standard control (the terms text): its own system object speaks for it
};

struct AccessibleItem {
  AccessibleRole role = AccessibleRole::static_text;
  std::string name;
  std::string description;
  std::optional<std::string> value;  // a summary row's value, the bar's percentage
  bool checked = false;
  bool unavailable = false;
  // The child window's id for a control; 0 for what the window paints, which is placed at `rect`
  // in the window's logical space (mirrored by the window in right-to-left).
  int control = 0;
  theme::LogicalRect rect;
  // A control's default action does what a click on it does, so its name says that; empty for
  // what has none.
  std::string_view default_action;
};

// The name of a control's default action, in the window's language: "Press" for a button, "Check"
// for a radio button, "Check" or "Uncheck" for a check button by its state, nothing for the rest.
[[nodiscard]] std::string_view default_action_name(AccessibleRole role, bool checked,
                                                   Language language);

// A painted text as a static-text item.
[[nodiscard]] AccessibleItem static_text(std::string name, const theme::LogicalRect& rect);

// The child id under which item `index` of a window's list is known to events and to the
// window's client object.
[[nodiscard]] constexpr long accessible_child_id(std::size_t index) {
  return static_cast<long>(index) + 1;
}

// The item that stands for control `id` in a list, or null.
[[nodiscard]] const AccessibleItem* find_control(const std::vector<AccessibleItem>& items, int id);

}  // namespace borelu::ui

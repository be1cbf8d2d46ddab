#pragma once

// What a screen reader is told about one thing in a window, decided without Windows: what it is,
// what it is called and says, its state, and what its default action does. A window lists its
// items in reading order; the Win32 layer serves them through Active Accessibility.

#include <cstddef>
#include <cstdint>
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

// The rest decides what a window's accessible objects answer. There are two kinds of object: the
// window's client (`object` 0), whose children are the items of its list, and the object of one
// of its owner-drawn controls (`object` the control's id), which has none and speaks for the
// item that stands for that control.

// The child id that names an object itself.
inline constexpr long SELF_CHILD_ID = 0;

// What a child id names, seen from one object.
struct ChildTarget {
  bool self = false;  // the object itself
  // The item it is about: one of the client's children, or a control object's own item (none
  // once the page that had the control is gone); none for the client itself.
  std::optional<std::size_t> item = std::nullopt;

  friend bool operator==(const ChildTarget&, const ChildTarget&) = default;
};

// Nothing for an id the object does not know.
[[nodiscard]] std::optional<ChildTarget> resolve_child(const std::vector<AccessibleItem>& items,
                                                       int object, long child_id);

// Navigation within the client's list (up and down are previous and next).
enum class Navigation { first_child, last_child, next, previous };

// The item reached from `from`, or nothing: only the client itself has a first and a last
// child; a child, or a control's own item, has its neighbours in the list.
[[nodiscard]] std::optional<std::size_t> navigation_target(const ChildTarget& from, int object,
                                                           std::size_t count, Navigation direction);

// What a point hits: nothing outside the object's rectangle; inside, the first of its items'
// rectangles that holds it, else the object itself. Right and bottom edges are outside.
struct Hit {
  bool inside = false;
  std::optional<std::size_t> item = std::nullopt;

  friend bool operator==(const Hit&, const Hit&) = default;
};
[[nodiscard]] Hit hit_test(const theme::DeviceRect& self,
                           const std::vector<theme::DeviceRect>& items, std::int32_t x,
                           std::int32_t y);

// What the window says about the child window of a control (or about itself, for the client).
struct WindowFacts {
  bool exists = false;
  bool focused = false;
  bool enabled = false;
};

struct AccessibleState {
  bool focusable = false;
  bool focused = false;
  bool checked = false;
  bool unavailable = false;
  bool read_only = false;

  friend bool operator==(const AccessibleState&, const AccessibleState&) = default;
};

// The state of an item (null: the client itself, `window` the client's own window): a painted
// text is read-only; a control is focusable, and unavailable when its item says so or its
// window is missing or disabled.
[[nodiscard]] AccessibleState accessible_state(const AccessibleItem* item,
                                               const WindowFacts& window);

// What the default action of an item (null: the client itself) does: nothing to do, refused as a
// click on a disabled control is, or a click on the control.
enum class DefaultAction { none, refused, click };
[[nodiscard]] DefaultAction default_action(const AccessibleItem* item, const WindowFacts& control);

}  // namespace borelu::ui

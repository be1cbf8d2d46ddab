#include "ui/access/accessible_item.h"

#include <algorithm>

#include "ui/catalogue.h"

namespace borelu::ui {

std::string_view default_action_name(AccessibleRole role, bool checked, Language language) {
  switch (role) {
    case AccessibleRole::push_button:
      return pick(text::kActionPress, language);
    case AccessibleRole::radio_button:
      return pick(text::kActionCheck, language);
    case AccessibleRole::check_button:
      return pick(checked ? text::kActionUncheck : text::kActionCheck, language);
    default:
      return {};
  }
}

AccessibleItem static_text(std::string name, const theme::LogicalRect& rect) {
  AccessibleItem item;
  item.role = AccessibleRole::static_text;
  item.name = std::move(name);
  item.rect = rect;
  return item;
}

const AccessibleItem* find_control(const std::vector<AccessibleItem>& items, int id) {
  const auto found = std::ranges::find_if(
      items, [id](const AccessibleItem& item) { return id != 0 && item.control == id; });
  return found == items.end() ? nullptr : &*found;
}

std::optional<ChildTarget> resolve_child(const std::vector<AccessibleItem>& items, int object,
                                         long child_id) {
  if (child_id == SELF_CHILD_ID) {
    if (object == 0) {
      return ChildTarget{.self = true};
    }
    ChildTarget target{.self = true};
    if (const AccessibleItem* own = find_control(items, object)) {
      target.item = static_cast<std::size_t>(own - items.data());
    }
    return target;
  }
  if (object != 0 || child_id < 1 || static_cast<std::size_t>(child_id) > items.size()) {
    return std::nullopt;
  }
  return ChildTarget{.item = static_cast<std::size_t>(child_id - 1)};
}

std::optional<std::size_t> navigation_target(const ChildTarget& from, int object, std::size_t count,
                                             Navigation direction) {
  switch (direction) {
    case Navigation::first_child:
    case Navigation::last_child:
      if (!from.self || object != 0 || count == 0) {
        return std::nullopt;
      }
      return direction == Navigation::first_child ? 0 : count - 1;
    case Navigation::next:
      if (from.item && *from.item + 1 < count) {
        return *from.item + 1;
      }
      return std::nullopt;
    case Navigation::previous:
      if (from.item && *from.item > 0) {
        return *from.item - 1;
      }
      return std::nullopt;
  }
  return std::nullopt;
}

namespace {

bool holds(const theme::DeviceRect& rect, std::int32_t x, std::int32_t y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

Hit hit_test(const theme::DeviceRect& self, const std::vector<theme::DeviceRect>& items,
             std::int32_t x, std::int32_t y) {
  if (!holds(self, x, y)) {
    return {};
  }
  const auto found =
      std::ranges::find_if(items, [x, y](const theme::DeviceRect& r) { return holds(r, x, y); });
  if (found == items.end()) {
    return {.inside = true};
  }
  return {.inside = true, .item = static_cast<std::size_t>(found - items.begin())};
}

AccessibleState accessible_state(const AccessibleItem* item, const WindowFacts& window) {
  if (item == nullptr) {
    return {.focusable = true, .focused = window.focused};
  }
  if (item->control == 0) {
    return {.read_only = true};
  }
  return {.focusable = true,
          .focused = window.exists && window.focused,
          .checked = item->checked,
          .unavailable = item->unavailable || !window.exists || !window.enabled,
          .read_only = item->role == AccessibleRole::standard};
}

DefaultAction default_action(const AccessibleItem* item, const WindowFacts& control) {
  if (item == nullptr || item->control == 0 || item->default_action.empty()) {
    return DefaultAction::none;
  }
  if (item->unavailable || !control.exists || !control.enabled) {
    return DefaultAction::refused;
  }
  return DefaultAction::click;
}

}  // namespace borelu::ui

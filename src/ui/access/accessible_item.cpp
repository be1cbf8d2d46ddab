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

}  // namespace borelu::ui

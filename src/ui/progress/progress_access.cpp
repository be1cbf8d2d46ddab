#include "ui/progress/progress_access.h"

#include "ui/catalogue.h"
#include "ui/progress/progress_layout.h"

namespace borelu::ui::progress {

std::vector<AccessibleItem> accessible_progress(const ProgressView& view) {
  std::vector<AccessibleItem> items;
  items.push_back(static_text(std::string(view.status), STATUS));

  AccessibleItem bar;
  bar.role = AccessibleRole::progress_bar;
  bar.name = std::string(view.title);
  bar.value = percentage_label(view.bar);
  bar.rect = TRACK;
  items.push_back(std::move(bar));

  AccessibleItem cancel;
  cancel.role = AccessibleRole::push_button;
  cancel.name = std::string(pick(text::kCancel, view.language));
  cancel.control = CANCEL_ID;
  cancel.rect = CANCEL_BUTTON;
  cancel.unavailable = !view.cancel_available;
  cancel.default_action = default_action_name(cancel.role, false, view.language);
  items.push_back(std::move(cancel));
  return items;
}

bool spoken_value_changed(const std::optional<BarFrame>& painted, const BarFrame& next) {
  const std::optional<std::string> spoken = painted ? painted->label : std::nullopt;
  return next.label != spoken;
}

}  // namespace borelu::ui::progress

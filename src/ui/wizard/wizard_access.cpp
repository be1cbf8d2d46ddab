#include "ui/wizard/wizard_access.h"

#include <algorithm>

namespace borelu::ui::wizard {
namespace {

theme::LogicalRect bounds(const theme::LogicalRect& a, const theme::LogicalRect& b) {
  const float left = std::min(a.x, b.x);
  const float top = std::min(a.y, b.y);
  const float right = std::max(a.x + a.w, b.x + b.w);
  const float bottom = std::max(a.y + a.h, b.y + b.h);
  return {left, top, right - left, bottom - top};
}

// The texts the page paints, as it paints them.
void add_texts(const WizardPaint& paint, std::vector<AccessibleItem>& items) {
  const auto& texts = paint.texts;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const TextItem& text = texts[i];
    if (text.speech == Speech::silent) {
      continue;
    }
    AccessibleItem item = static_text(text.text, text.rect);
    if (text.speech == Speech::label && i + 1 < texts.size()) {
      const TextItem& value = texts[++i];
      item.value = value.text;
      item.rect = bounds(text.rect, value.rect);
    }
    items.push_back(std::move(item));
  }
}

void add_controls(const WizardModel& model, std::vector<AccessibleItem>& items) {
  const Language language = model.language();
  for (const ControlSpec& spec : page_controls(model)) {
    AccessibleItem item;
    item.role = find_wizard_control(spec.id)->role;
    item.control = spec.id;
    item.rect = spec.rect;
    if (item.role != AccessibleRole::standard) {
      item.name = spec.text;
    }
    item.description = std::string(choice_subtitle(spec.id));
    item.checked = is_on(model, spec.id);
    item.unavailable = (spec.id == control::BACK && !back_enabled(model)) ||
                       (spec.id == control::NEXT && !next_enabled(model));
    item.default_action = default_action_name(item.role, item.checked, language);
    items.push_back(std::move(item));
  }
}

}  // namespace

std::vector<AccessibleItem> accessible_page(const WizardModel& model,
                                            std::string_view installation_folder) {
  std::vector<AccessibleItem> items;
  // The texts are the same in every palette; only their colours differ.
  add_texts(wizard_paint(model, installation_folder, theme::DARK_PALETTE), items);
  add_controls(model, items);
  // Reading order is the page's own, top to bottom and then along each row; on the footer that is
  // also the Tab order, Cancel, Back, Next.
  std::ranges::stable_sort(items, [](const AccessibleItem& a, const AccessibleItem& b) {
    return a.rect.y != b.rect.y ? a.rect.y < b.rect.y : a.rect.x < b.rect.x;
  });
  return items;
}

}  // namespace borelu::ui::wizard

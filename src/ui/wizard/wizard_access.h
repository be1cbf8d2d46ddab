#pragma once

// What a screen reader finds on the wizard's current page, in reading order: the step counter,
// the title and the page's texts as static text (a summary row as one text whose value is the
// row's value), and its controls with their roles, states and default actions.

#include <string_view>
#include <vector>

#include "ui/access/accessible_item.h"
#include "ui/wizard/wizard_model.h"

namespace borelu::ui::wizard {

[[nodiscard]] std::vector<AccessibleItem> accessible_page(const WizardModel& model,
                                                          std::string_view installation_folder);

}  // namespace borelu::ui::wizard

// The wizard's table of controls: what every page's controls are drawn as and read as, and that
// a page's controls can be told apart by the window, the mouse and the keyboard.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "ui/wizard/wizard_model.h"

namespace borelu::ui::wizard {
namespace {

TEST(WizardControls, ChoicesAreDrawnByTheirKind) {
  using K = theme::ChoiceKind;
  EXPECT_EQ(choice_kind_for_id(110), K::english_card);
  EXPECT_EQ(choice_kind_for_id(111), K::arabic_card);
  EXPECT_EQ(choice_kind_for_id(112), K::agreement);
  for (int id : {113, 114, 115})
    EXPECT_EQ(choice_kind_for_id(id), K::switch_row);
  for (int id : {101, 109, 116})
    EXPECT_FALSE(choice_kind_for_id(id));
}

bool overlaps(const theme::LogicalRect& a, const theme::LogicalRect& b) {
  return std::max(a.x, b.x) < std::min(a.x + a.w, b.x + b.w) &&
         std::max(a.y, b.y) < std::min(a.y + a.h, b.y + b.h);
}

// Each control is found by its id, drawn and read as its kind says, and sits apart from the
// others on its page; a radio group is one run in the Tab order, so that Tab leaves it in one
// step and the arrow keys stay in it.
TEST(WizardControls, EveryPageHasDistinctControlsOfConsistentKinds) {
  std::set<int> ids;
  for (const WizardControl& c : wizard_controls()) {
    EXPECT_TRUE(ids.insert(c.id).second) << "id " << c.id << " twice";
    EXPECT_EQ(find_wizard_control(c.id), &c);
  }
  for (std::uint8_t page = 0; page < PAGE_COUNT; ++page) {
    WizardModel model;
    model.page = page;
    const auto controls = page_controls(model);
    std::vector<AccessibleRole> roles;
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const WizardControl& c = *find_wizard_control(controls[i].id);
      roles.push_back(c.role);
      const bool choice = c.kind == ControlKind::choice;
      EXPECT_EQ(c.look.has_value(), choice) << c.id;
      EXPECT_EQ(c.style.has_value(), c.kind == ControlKind::push_button) << c.id;
      EXPECT_EQ(c.role == AccessibleRole::radio_button || c.role == AccessibleRole::check_button,
                choice)
          << c.id;
      EXPECT_EQ(c.role == AccessibleRole::standard, c.kind == ControlKind::terms_text) << c.id;
      for (std::size_t j = 0; j < i; ++j) {
        EXPECT_FALSE(overlaps(controls[i].rect, controls[j].rect))
            << "page " << int(page) << ": " << controls[i].id << " over " << controls[j].id;
      }
    }
    const auto first = std::ranges::find(roles, AccessibleRole::radio_button);
    const auto past = std::find_if(
        first, roles.end(), [](AccessibleRole r) { return r != AccessibleRole::radio_button; });
    EXPECT_EQ(std::count(past, roles.end(), AccessibleRole::radio_button), 0)
        << "page " << int(page) << ": the radio group is split";
    // The arrow keys go round exactly the group's members, in Tab order, and back.
    std::vector<int> group;
    for (auto at = first; at != past; ++at) {
      group.push_back(controls[static_cast<std::size_t>(at - roles.begin())].id);
    }
    for (std::size_t k = 0; k < group.size(); ++k) {
      const int after = group[(k + 1) % group.size()];
      EXPECT_EQ(radio_group_step(group[k], true), after) << group[k];
      EXPECT_EQ(radio_group_step(after, false), group[k]) << after;
    }
  }
}

}  // namespace
}  // namespace borelu::ui::wizard

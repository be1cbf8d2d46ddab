// What a window's accessible objects answer, decided without Windows: which item a child id
// names, where navigation goes, what a point hits, and an item's state and default action.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/access/accessible_item.h"

namespace borelu::ui {
namespace {

AccessibleItem control(int id, AccessibleRole role = AccessibleRole::push_button) {
  AccessibleItem item;
  item.role = role;
  item.name = "control " + std::to_string(id);
  item.control = id;
  item.default_action = "Press";
  return item;
}

// A painted text, two buttons, another text: the list the tests below look at.
std::vector<AccessibleItem> sample() {
  return {static_text("title", {}), control(101), control(102), static_text("note", {})};
}

TEST(AccessibleChild, ChildIdsNameTheirOwnItemFromEachObject) {
  const auto items = sample();
  const struct {
    int object;
    long child_id;
    std::optional<ChildTarget> expected;
  } cases[] = {
      {0, SELF_CHILD_ID, ChildTarget{.self = true}},
      {0, 1, ChildTarget{.item = 0}},
      {0, 2, ChildTarget{.item = 1}},
      {0, 3, ChildTarget{.item = 2}},
      {0, 4, ChildTarget{.item = 3}},
      {0, 5, std::nullopt},  // one past the last
      {0, -1, std::nullopt},
      {101, SELF_CHILD_ID, ChildTarget{.self = true, .item = 1}},
      {102, SELF_CHILD_ID, ChildTarget{.self = true, .item = 2}},
      {105, SELF_CHILD_ID, ChildTarget{.self = true}},  // its page is gone
      {101, 1, std::nullopt},                           // a control's object has no children
      {102, 3, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(resolve_child(items, c.object, c.child_id), c.expected)
        << "object " << c.object << " child " << c.child_id;
  }
}

TEST(AccessibleChild, NavigationStepsToTheVeryNextItemInTheList) {
  using enum Navigation;
  const ChildTarget client{.self = true};
  const auto child = [](std::size_t index) { return ChildTarget{.item = index}; };
  const struct {
    ChildTarget from;
    int object;
    std::size_t count;
    Navigation direction;
    std::optional<std::size_t> expected;
  } cases[] = {
      {client, 0, 4, first_child, 0},
      {client, 0, 4, last_child, 3},
      {client, 0, 0, first_child, std::nullopt},
      {client, 0, 4, next, std::nullopt},  // the client has no neighbours in its own list
      {client, 0, 4, previous, std::nullopt},
      {child(0), 0, 4, next, 1},
      {child(1), 0, 4, next, 2},  // a painted text between two controls is not skipped
      {child(2), 0, 4, previous, 1},
      {child(0), 0, 4, previous, std::nullopt},
      {child(3), 0, 4, next, std::nullopt},
      {child(3), 0, 4, previous, 2},
      {child(1), 0, 4, first_child, std::nullopt},  // an item has no children
      {ChildTarget{.self = true, .item = 2}, 102, 4, next, 3},
      {ChildTarget{.self = true, .item = 2}, 102, 4, previous, 1},
      {ChildTarget{.self = true, .item = 2}, 102, 4, last_child, std::nullopt},
      {ChildTarget{.self = true}, 105, 4, next, std::nullopt},  // a control that is gone
  };
  for (const auto& c : cases) {
    EXPECT_EQ(navigation_target(c.from, c.object, c.count, c.direction), c.expected)
        << "from " << c.from.item.value_or(99) << " of object " << c.object << " direction "
        << static_cast<int>(c.direction);
  }
}

TEST(AccessibleChild, APointHitsTheFirstItemThatHoldsIt) {
  const theme::DeviceRect self{0, 0, 100, 100};
  const std::vector<theme::DeviceRect> items{{10, 10, 50, 50}, {40, 40, 90, 90}};
  const struct {
    std::int32_t x, y;
    std::vector<theme::DeviceRect> items;
    Hit expected;
  } cases[] = {
      {5, 5, items, {.inside = true}},
      {10, 10, items, {.inside = true, .item = 0}},
      {45, 45, items, {.inside = true, .item = 0}},  // where both overlap
      {50, 50, items, {.inside = true, .item = 1}},  // the first's right and bottom edges
      {89, 40, items, {.inside = true, .item = 1}},
      {90, 90, items, {.inside = true}},
      {99, 99, items, {.inside = true}},
      {100, 50, items, {}},
      {50, -1, items, {}},
      {45, 45, {}, {.inside = true}},  // a control's object has no items
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hit_test(self, c.items, c.x, c.y), c.expected) << c.x << "," << c.y;
  }
}

TEST(AccessibleState, StateFollowsTheItemAndItsWindow) {
  const AccessibleItem painted = static_text("note", {});
  const AccessibleItem button = control(101);
  AccessibleItem checked = control(110, AccessibleRole::check_button);
  checked.checked = true;
  AccessibleItem unavailable = control(101);
  unavailable.unavailable = true;
  const AccessibleItem standard = control(116, AccessibleRole::standard);
  const WindowFacts shown{.exists = true, .enabled = true};
  const WindowFacts focused{.exists = true, .focused = true, .enabled = true};
  const WindowFacts disabled{.exists = true};
  const WindowFacts missing{.focused = true, .enabled = true};
  const struct {
    const char* what;
    const AccessibleItem* item;
    WindowFacts window;
    AccessibleState expected;
  } cases[] = {
      {"client", nullptr, shown, {.focusable = true}},
      {"focused client", nullptr, focused, {.focusable = true, .focused = true}},
      {"painted", &painted, focused, {.read_only = true}},
      {"button", &button, shown, {.focusable = true}},
      {"focused button", &button, focused, {.focusable = true, .focused = true}},
      {"checked", &checked, shown, {.focusable = true, .checked = true}},
      {"disabled window", &button, disabled, {.focusable = true, .unavailable = true}},
      {"unavailable item", &unavailable, shown, {.focusable = true, .unavailable = true}},
      {"missing window", &button, missing, {.focusable = true, .unavailable = true}},
      {"standard", &standard, shown, {.focusable = true, .read_only = true}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(accessible_state(c.item, c.window), c.expected) << c.what;
  }
}

TEST(AccessibleState, DefaultActionClicksOnlyAnAvailableControl) {
  const AccessibleItem painted = static_text("note", {});
  const AccessibleItem button = control(101);
  AccessibleItem silent = control(116, AccessibleRole::standard);
  silent.default_action = {};
  AccessibleItem unavailable = control(102);
  unavailable.unavailable = true;
  const WindowFacts shown{.exists = true, .enabled = true};
  const struct {
    const char* what;
    const AccessibleItem* item;
    WindowFacts window;
    DefaultAction expected;
  } cases[] = {
      {"client", nullptr, shown, DefaultAction::none},
      {"painted", &painted, shown, DefaultAction::none},
      {"no action", &silent, shown, DefaultAction::none},
      {"button", &button, shown, DefaultAction::click},
      {"unavailable item", &unavailable, shown, DefaultAction::refused},
      {"disabled window", &button, {.exists = true}, DefaultAction::refused},
      {"missing window", &button, {.enabled = true}, DefaultAction::refused},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(default_action(c.item, c.window), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace borelu::ui

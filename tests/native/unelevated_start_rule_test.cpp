#include "unelevated_start_rule.h"

#include <gtest/gtest.h>

namespace borelu {
namespace {

TEST(UnelevatedStart, EveryRowOfTheDecision) {
  using enum ShellToken;
  constexpr auto go_on = WizardStart::go_on;
  constexpr auto relaunch = WizardStart::relaunch_as_desktop_user;
  constexpr auto refuse = WizardStart::refuse;
  struct Row {
    const char* what;
    bool elevated;
    ShellToken shell;
    bool sameUser;
    WizardStart start;
  };
  const Row rows[] = {
      {"a standard user's double-click", false, unelevated, true, go_on},
      {"a standard user started as another account", false, unelevated, false, go_on},
      {"not elevated, no shell", false, none, false, go_on},
      {"not elevated, shell unreadable", false, unreadable, false, go_on},
      {"Run as administrator", true, unelevated, true, relaunch},
      {"a parent's password typed for a child's desktop", true, unelevated, false, relaunch},
      {"User Account Control off, or Wine", true, elevated, true, go_on},
      {"elevated as another account beside an elevated shell", true, elevated, false, relaunch},
      {"no shell to return to", true, none, true, go_on},
      {"a shell whose token cannot be read", true, unreadable, true, refuse},
      {"another account's shell whose token cannot be read", true, unreadable, false, refuse},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(choose_wizard_start(row.elevated, row.shell, row.sameUser), row.start);
  }
}

}  // namespace
}  // namespace borelu

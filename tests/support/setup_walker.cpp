#include "setup_walker.h"

#include <chrono>

#include "ui/wizard/wizard_model.h"
#include "ui_driver.h"

namespace borelu::testing {
namespace {

namespace control = ui::wizard::control;
constexpr auto kWait = std::chrono::seconds(30);

bool enabled(HWND window, int id) {
  const WindowView view = read_window(window);
  const ControlView* c = view.control(id);
  return c != nullptr && c->enabled;
}

bool shown(HWND window, int id) {
  return read_window(window).control(id) != nullptr;
}

}  // namespace

std::string walk_wizard(HWND wizard, const WizardChoices& choices, const PageVisit& visit) {
  const auto visited = [&](int page) {
    if (visit)
      visit(page);
  };
  if (!wait_until([&] { return shown(wizard, control::ARABIC_CARD); }, kWait))
    return "page 1 not shown";
  if (choices.arabic) {
    click(wizard, control::ARABIC_CARD);
    if (!wait_until([&] { return read_window(wizard).caption != "Borelu Setup"; }, kWait))
      return "the language did not change";
  }
  visited(1);
  click(wizard, control::NEXT);

  if (!wait_until([&] { return shown(wizard, control::AGREEMENT); }, kWait))
    return "page 2 not shown";
  click(wizard, control::AGREEMENT);
  if (!wait_until([&] { return enabled(wizard, control::NEXT); }, kWait))
    return "Next stayed disabled after the agreement";
  visited(2);
  click(wizard, control::NEXT);

  if (!wait_until([&] { return shown(wizard, control::STARTUP_SWITCH); }, kWait))
    return "page 3 not shown";
  // The switches start as startup off, desktop off, Start menu on.
  if (choices.startup)
    click(wizard, control::STARTUP_SWITCH);
  if (choices.desktop)
    click(wizard, control::DESKTOP_SWITCH);
  if (!choices.startMenu)
    click(wizard, control::START_MENU_SWITCH);
  visited(3);
  click(wizard, control::NEXT);

  if (!wait_until([&] { return !shown(wizard, control::STARTUP_SWITCH); }, kWait))
    return "page 4 not shown";
  visited(4);
  click(wizard, control::NEXT);  // Install
  return "";
}

}  // namespace borelu::testing

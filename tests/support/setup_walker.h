#pragma once

// A person's way through the setup wizard of a running BoreluSetup.exe, with real input: the
// language card, the agreement, the switches as chosen, then Install. Shared by the end-to-end
// tests and the demonstration.

#include <windows.h>

#include <functional>
#include <string>

namespace borelu::testing {

struct WizardChoices {
  bool arabic = false;
  bool startup = false;
  bool desktop = false;
  bool startMenu = true;
};

// Called on each page (1 to 4) once it is shown, before the walk leaves it.
using PageVisit = std::function<void(int page)>;

// Walks the wizard window from its first page to Install. Returns "" when Install was clicked,
// else what went wrong.
std::string walk_wizard(HWND wizard, const WizardChoices& choices, const PageVisit& visit = {});

}  // namespace borelu::testing

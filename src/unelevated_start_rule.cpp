#include "unelevated_start_rule.h"

namespace borelu {

WizardStart choose_wizard_start(bool elevated, ShellToken shell, bool same_user) {
  // Without administrator rights there is nothing to give back. A standard user started with
  // "runas /user:" as another account stays that account: it was asked for, and the worker's
  // elevation prompt still comes.
  if (!elevated) {
    return WizardStart::go_on;
  }
  switch (shell) {
    case ShellToken::none:
      // No shell: a session without a signed-in user's desktop (a service, a kiosk without
      // Explorer). There is no lower right to return to.
      return WizardStart::go_on;
    case ShellToken::unreadable:
      // The shell is there but its rights are unknown. Going on could be the elevated wizard this
      // rule exists to prevent; starting again through a shell that is itself elevated would
      // start this same case again, without end. The user can start Setup plainly.
      return WizardStart::refuse;
    case ShellToken::unelevated:
      // Elevated by the prompt ("Run as administrator", an elevated command prompt) or, with
      // another account's password typed over the shoulder, running as that account while the
      // shell runs as the user at the desktop: either way the shell's token is the right one.
      return WizardStart::relaunch_as_desktop_user;
    case ShellToken::elevated:
      // User Account Control is off (or Wine, where every process reports elevated): the
      // desktop's user has no lower right, and this process already runs as them. Elevated as
      // another account beside such a shell, the installation still belongs to the desktop's
      // user: started again through the shell, the wizard runs as them, and there it goes on.
      return same_user ? WizardStart::go_on : WizardStart::relaunch_as_desktop_user;
  }
  return WizardStart::refuse;
}

}  // namespace borelu

#pragma once

// Whether the wizard mode, started with administrator rights, starts itself again as the desktop's
// user. The wizard is a standard user's program: elevated, its clean-up of earlier staging folders
// deletes with administrator rights in a folder that user controls, the installation and its
// shortcuts go to whoever typed the password at the prompt, and Borelu's first start inherits
// the elevated token. The desktop's shell (Explorer) runs with the token the user signed in with;
// a program it starts gets that token.

#include <string_view>

namespace borelu {

// What the shell's token shows, seen from this process.
enum class ShellToken {
  none,        // no shell window: no desktop of a signed-in user to return to
  unreadable,  // a shell window, but its process or token could not be read
  unelevated,
  elevated,
};

enum class WizardStart {
  go_on,                     // the wizard runs in this process
  relaunch_as_desktop_user,  // started again through the shell; this process ends with 0
  refuse,                    // ends with kElevatedWizardRefused
};

// The start for this process's elevation, the shell's token and whether the shell runs as this
// process's user.
[[nodiscard]] WizardStart choose_wizard_start(bool elevated, ShellToken shell, bool same_user);

// Said when the wizard runs elevated and cannot return to the desktop's user.
inline constexpr std::string_view kElevatedWizardRefused =
    "Borelu Setup was started with administrator rights and could not start again as the "
    "desktop's user. Start BoreluSetup.exe again without \"Run as administrator\".";

}  // namespace borelu

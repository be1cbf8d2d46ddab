#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "unelevated_start_rule.h"

namespace borelu {

// The desktop's shell as this process sees it: the token of the process that owns the shell
// window (GetShellWindow), opened with PROCESS_QUERY_LIMITED_INFORMATION and TOKEN_QUERY.
struct DesktopShell {
  ShellToken token = ShellToken::none;
  bool sameUser = false;              // the shell's token's user is this process's user
  std::optional<Failure> unreadable;  // why, when the token is `unreadable`
};
[[nodiscard]] DesktopShell read_desktop_shell();

// The same for the process that owns `window`.
[[nodiscard]] DesktopShell read_shell_of(HWND window);

// Starts `program` with no arguments through the shell's own IShellDispatch2::ShellExecute, found
// from the desktop's window in IShellWindows (CSIDL_DESKTOP, SWC_DESKTOP) through its top-level
// browser, its active view and that view's background object: the shell starts it, so it gets
// the shell's token. Each step's failure is "<step>: <system text> (os error N)".
[[nodiscard]] Status start_through_shell(std::wstring_view program);

// The wizard mode's first step: whether this process goes on as the wizard, or has started the
// wizard again as the desktop's user (true: this process ends with exit code 0 and no window).
// A refusal, or a start through the shell that failed, is kElevatedWizardRefused with the reason.
[[nodiscard]] Result<bool> return_to_desktop_user();

}  // namespace borelu

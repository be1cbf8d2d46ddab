#pragma once

namespace borelu::win {

// Asks Windows not to follow, anywhere in this process, a file-system junction that a
// non-administrator made (the redirection-trust mitigation, "RedirectionGuard"). Where the system
// lacks the function or the policy (before Windows 10 22H2 and Windows 11, and under Wine, which
// accepts it without effect) the process goes on as before: every path it trusts is checked for
// links anyway, and this only closes the moments between a check and an open.
void enforce_redirection_trust();

}  // namespace borelu::win

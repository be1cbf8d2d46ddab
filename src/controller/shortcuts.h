#pragma once

#include "core/failure.h"

namespace borelu::controller {

// Makes the user's "Borelu.lnk" on the desktop and in the Start menu programs folder match the
// two options, in that order: created or rewritten to start the installed application when the
// option is on, deleted when it is off. A shortcut of that name which starts anything else, or
// which cannot be read, is never touched and ends the run with a message. The first failure
// ends the run; what was done before it stays done.
[[nodiscard]] Status configure_shortcuts(bool desktop, bool start_menu);

}  // namespace borelu::controller

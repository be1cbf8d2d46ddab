#pragma once

#include "core/failure.h"
#include "protocol/options.h"

namespace borelu::controller {

// The installation after a confirmed wizard, on the user-interface thread: the controller thread
// does the work while the progress window shows it; the success dialog ends a successful run.
// Returns success after that dialog, or the failure text ("Cancelled." when the window was
// closed before a result).
[[nodiscard]] Status run_installation(const options::SetupOptions& confirmed);

}  // namespace borelu::controller

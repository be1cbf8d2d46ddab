#pragma once

#include "core/failure.h"
#include "win/handles.h"

namespace borelu::apply {

// The machine-wide install lock: a named mutex in the global namespace that only LocalSystem and
// Administrators may open. A second worker fails at once instead of waiting. The lock is held
// until the returned handle is closed.
[[nodiscard]] Result<win::Handle> take_install_lock();

}  // namespace borelu::apply

#pragma once

#include <memory>

#include "controller/install_run.h"

namespace borelu::controller {

// The effects of an installation run on this machine: the update host, the user's staging
// folder, the elevation prompt, the worker process, the installed application and the shortcuts.
[[nodiscard]] std::unique_ptr<InstallEffects> machine_effects();

}  // namespace borelu::controller

#pragma once

#include <string>

#include "core/failure.h"

namespace borelu::apply {

// The maintenance folder, created with its parents if missing, checked for links and protected.
[[nodiscard]] Result<std::string> prepare_maintenance_folder();

}  // namespace borelu::apply

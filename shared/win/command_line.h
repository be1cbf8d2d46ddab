#pragma once

#include <string>
#include <vector>

#include "core/failure.h"

namespace borelu::win {

// Splits a command line by the system's own rules (CommandLineToArgvW), program path included,
// each argument converted to UTF-8.
[[nodiscard]] Result<std::vector<std::string>> split_command_line(const wchar_t* line);

}  // namespace borelu::win

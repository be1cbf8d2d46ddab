#pragma once

#include <span>
#include <string>

namespace borelu {

// Runs the program for its arguments (program path dropped) and returns the process exit code:
// 0 on success, 1 on every failure.
[[nodiscard]] int run_setup(std::span<const std::string> arguments);

}  // namespace borelu

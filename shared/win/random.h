#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "core/failure.h"

namespace borelu::win {

// Fills `bytes` from the system's cryptographic generator: ProcessPrng where the system has it
// (resolved at run time: older systems and Wine lack bcryptprimitives' export), otherwise
// BCryptGenRandom with the system-preferred generator.
[[nodiscard]] Status fill_random(std::span<unsigned char> bytes);

// `count` random bytes as 2 × count lower-case hex digits, for folder names.
[[nodiscard]] Result<std::string> random_hex(std::size_t count);

}  // namespace borelu::win

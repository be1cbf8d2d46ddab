#pragma once

#include <cstdint>
#include <string_view>

#include "core/failure.h"

namespace borelu::storage {

// Fails with the shortfall sentence when the volume of `folder` has less than `needed` bytes free
// for this process's user (quotas count); a volume that cannot be asked fails with the system
// error.
[[nodiscard]] Status check_free_space(std::string_view folder, std::uint64_t needed);

}  // namespace borelu::storage

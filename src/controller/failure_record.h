#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/failure.h"

namespace borelu::controller {

// Leaves the elevated worker's failure message in "last-install-error.json" of the maintenance
// folder, a folder only administrators and the system can write.
[[nodiscard]] Status write_failure_record(std::string_view message);

// The message of the record written by worker `worker_pid` at or after `start_millis`, or
// nothing (the caller then uses its generic message).
[[nodiscard]] std::optional<std::string> read_failure_record(std::uint32_t worker_pid,
                                                             std::uint64_t start_millis);

// Now, in milliseconds since 1970.
[[nodiscard]] std::uint64_t current_unix_millis();

}  // namespace borelu::controller

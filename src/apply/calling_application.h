#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

#include "core/failure.h"

namespace borelu::apply {

inline constexpr std::chrono::milliseconds CALLER_SHUTDOWN_WAIT{60000};

// The application process that started an update must end before files change. It is waited
// for only when it is the installed, genuine Borelu.exe of the owner (blocking policy, user,
// image path and digest); an untrusted process that is still running stops the run.
[[nodiscard]] Status check_calling_application(
    std::uint32_t parent_pid, std::string_view owner_sid, std::string_view installation_folder,
    std::chrono::milliseconds shutdown_wait = CALLER_SHUTDOWN_WAIT);

}  // namespace borelu::apply

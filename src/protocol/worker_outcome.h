#pragma once

#include <string_view>

namespace borelu::protocol {

// The worker's failure when another worker holds the install lock. The client acts on it: the
// other worker may be replacing the installed files at that moment, so nothing of them is started.
inline constexpr std::string_view kAnotherInstallationRunning =
    "Another Borelu installation is already running.";

}  // namespace borelu::protocol

#pragma once

#include <cstdint>
#include <string_view>

#include "core/failure.h"

namespace borelu::controller {

enum class RunningInstance { none, running };

// What the wizard mode tells the user when the installed application is running.
inline constexpr std::string_view kQuitBoreluFirst =
    "Choose Quit from Borelu's tray icon before installing or repairing the app.";

// Looks through the processes of every Windows session for the installed "Borelu.exe". A
// process counts only when its executable is the installed file itself; one of that name
// elsewhere does not, and neither does one that has ended.
[[nodiscard]] Result<RunningInstance> find_running_instance();

// One step of that walk, for a process whose executable is named "Borelu.exe": whether it is
// still alive and runs `application`. A process that ended, before or while it is looked at,
// is no match and no failure.
[[nodiscard]] Result<bool> process_runs(std::uint32_t process_id, std::string_view application);

}  // namespace borelu::controller

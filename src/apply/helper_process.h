#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/failure.h"
#include "win/process.h"

namespace borelu::apply {

// The folder inside the work folder that the worker's helpers get as TEMP and TMP.
inline constexpr std::string_view HELPER_TEMP_FOLDER = "temp";

// Starts a program of the work folder (the service installer, the WebView2 bootstrapper) with
// administrator rights and nothing of the user's world: its own folder as current folder, an
// environment whose TEMP and TMP are the work folder's "temp" folder (protected like the work
// folder) and whose PATH and Windows folder are the system's, and no handle but the standard
// handles given. `arguments` follow the quoted program path on the command line. The work folder
// is the program's own folder unless `work_folder` names it (a program of the rollback copy).
[[nodiscard]] Result<win::StartedProcess> start_helper(
    std::string_view program, std::wstring_view arguments, DWORD flags,
    const win::StandardHandles* standard = nullptr, HANDLE job = nullptr,
    std::string_view work_folder = {});

}  // namespace borelu::apply

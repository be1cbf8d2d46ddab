#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/failure.h"
#include "win/handles.h"

namespace borelu::blocking {

// True when the current process's token reports elevation; every failure counts as not elevated.
[[nodiscard]] bool is_elevated();

// The string SID of the user a process runs as: its token opened for query, then read.
[[nodiscard]] Result<std::string> process_user_sid(HANDLE process);
[[nodiscard]] Result<win::Handle> open_process_token(HANDLE process);
[[nodiscard]] Result<std::string> token_user_sid(HANDLE token);

// The Win32 path of a process's executable.
[[nodiscard]] Result<std::string> process_image_path(HANDLE process);

// Whether two paths name one file: both resolved to their final form and compared with ASCII
// letters folded. A path that cannot be resolved equals nothing.
[[nodiscard]] bool same_file_path(std::string_view first, std::string_view second);

}  // namespace borelu::blocking

#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/failure.h"

namespace borelu::win {

// "<system message> (os error N)": the message as FormatMessageW gives it for the code, with
// trailing white space removed.
[[nodiscard]] std::string system_error_text(DWORD code);

// "<label>: <system message> (os error N)".
[[nodiscard]] Failure os_failure(std::string_view label, DWORD code);

// The bare system error text, for file operations that carry no label.
[[nodiscard]] Failure os_failure(DWORD code);

// The same, for the calling thread's last error.
[[nodiscard]] Failure last_os_failure(std::string_view label);
[[nodiscard]] Failure last_os_failure();

}  // namespace borelu::win

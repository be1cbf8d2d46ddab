#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/failure.h"

namespace borelu::win {

// "<message> (os error N)": the message as FormatMessageW gives it for the code, with trailing
// white space removed, from the first table that has one: `messages`'s own message table (when
// given), then the system's; "Unknown error" when neither has it.
[[nodiscard]] std::string error_text(DWORD code, HMODULE messages);

// The module whose table holds the code's text: the loaded winhttp.dll for WinHTTP's codes (12001
// to 12200), none (the system's table) for every other code or when winhttp.dll is not loaded.
[[nodiscard]] HMODULE message_table_for(DWORD code);

// error_text with the table message_table_for names.
[[nodiscard]] std::string system_error_text(DWORD code);

// "<label>: <system message> (os error N)".
[[nodiscard]] Failure os_failure(std::string_view label, DWORD code);

// The bare system error text, for file operations that carry no label.
[[nodiscard]] Failure os_failure(DWORD code);

// The same, for the calling thread's last error.
[[nodiscard]] Failure last_os_failure(std::string_view label);
[[nodiscard]] Failure last_os_failure();

}  // namespace borelu::win

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace borelu::apply {

inline constexpr std::size_t INSTALLER_ERROR_BYTES = 4096;
inline constexpr std::size_t INSTALLER_ERROR_CHARS = 600;

// The details of a failed service installer, from what it wrote on standard error: the first
// 4096 bytes decoded as UTF-8 (bad sequences become U+FFFD), at most 600 characters, control
// characters (C0, DEL and C1) turned into blanks, trimmed.
[[nodiscard]] std::string installer_error_details(std::string_view standard_error);

// "Borelu service installation failed (exit N). <details> The previous version will be restored."
[[nodiscard]] std::string installer_failure_message(std::int32_t exit_code,
                                                    std::string_view standard_error);

// "The previous Borelu service could not be installed again (exit N). <details>": the previous
// release's installer, run to put back the service that a failed apply removed, failed too.
[[nodiscard]] std::string previous_service_failure_message(std::int32_t exit_code,
                                                           std::string_view standard_error);

}  // namespace borelu::apply

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace borelu::controller {

inline constexpr std::string_view FAILURE_RECORD_FILE = "last-install-error.json";
inline constexpr std::size_t RECORD_MESSAGE_MAX_CHARS = 2000;
inline constexpr std::size_t RECORD_MAX_BYTES = 8192;
inline constexpr std::size_t RECORD_READ_MESSAGE_MAX_BYTES = 8192;

// Milliseconds since 1970 from a Windows file time (100 ns units since 1601), rounded down;
// 0 before 1970.
[[nodiscard]] std::uint64_t unix_millis_from_file_time(std::uint64_t file_time);

// The record's bytes: compact, members in name order, the message cut to 2000 characters.
[[nodiscard]] std::string failure_record_json(std::uint32_t worker_pid,
                                              std::uint64_t created_millis,
                                              std::string_view message);

// The message of a record written by process `worker_pid` no earlier than `start_millis`;
// nothing for any other record.
[[nodiscard]] std::optional<std::string> parse_failure_record(std::string_view bytes,
                                                              std::uint32_t worker_pid,
                                                              std::uint64_t start_millis);

}  // namespace borelu::controller

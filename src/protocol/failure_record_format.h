#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace borelu::protocol {

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

// A writer's new record file beside the record: "last-install-error.json.PID-HEX.new", the
// writer's process id and 16 random lower-case hex digits, so that workers failing at the same
// time each write through a file of their own, and a file whose writer was killed before renaming
// it can be told apart from one still being written.
[[nodiscard]] std::string record_temporary_name(std::uint32_t writer_pid,
                                                std::string_view random_hex);

// A new record file no writer will rename any more is removed when the next record is written.
// Its owner is known from its name; the names of writers before the owner was named
// ("last-install-error.json.HEX.new", "last-install-error.json.new") have none. A writer takes
// milliseconds from creating its file to renaming it, so a file older than a day is left over
// even when its owner's process id has since been given to another process.
inline constexpr std::uint64_t RECORD_TEMPORARY_MAX_AGE_MILLIS = 24ULL * 60 * 60 * 1000;

struct RecordTemporary {
  std::optional<std::uint32_t> writerPid;  // nothing for an earlier writer's name
};

// What a file name in the maintenance folder says about a new record file; nothing for any name
// that is not one.
[[nodiscard]] std::optional<RecordTemporary> parse_record_temporary_name(std::string_view name);

// Whether a new record file is left over: its writer's process no longer runs, or it is older
// than the bound. A file someone still holds open is never removed (the caller checks that).
[[nodiscard]] bool record_temporary_is_stale(const RecordTemporary& temporary, bool writer_running,
                                             std::uint64_t age_millis);

}  // namespace borelu::protocol

#include "controller/failure_record.h"

#include <windows.h>

#include "apply/path_safety.h"
#include "controller/failure_record_format.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::controller {

std::uint64_t current_unix_millis() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  return unix_millis_from_file_time((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) |
                                    now.dwLowDateTime);
}

Status write_failure_record(std::string_view message) {
  const auto folder = apply::prepare_maintenance_folder();
  if (!folder) {
    return std::unexpected(folder.error());
  }
  const std::string path = join_path(*folder, FAILURE_RECORD_FILE);
  if (auto checked = apply::reject_linked_path(path); !checked) {
    return checked;
  }
  const std::string record =
      failure_record_json(GetCurrentProcessId(), current_unix_millis(), message);

  // Opened as itself (never through a link), not truncated until it has proven to be an
  // ordinary file with one name: a planted link or hard link must not redirect the write.
  win::FileHandle file(CreateFileW(win::widen(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                   FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) {
    return std::unexpected(win::last_os_failure());
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info) || info.nNumberOfLinks != 1 ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return fail("Unsafe diagnostic file.");
  }
  FILE_END_OF_FILE_INFO end{};
  if (!SetFileInformationByHandle(file.get(), FileEndOfFileInfo, &end, sizeof end)) {
    return std::unexpected(win::last_os_failure());
  }
  if (auto written = win::write_all(file.get(), record); !written) {
    return written;
  }
  if (auto flushed = win::flush_to_disk(file.get()); !flushed) {
    return flushed;
  }
  file.reset();
  return apply::protect_path(path);
}

std::optional<std::string> read_failure_record(std::uint32_t worker_pid,
                                               std::uint64_t start_millis) {
  const auto folder = manifest::maintenance_folder_path();
  if (!folder) {
    return std::nullopt;
  }
  const std::string path = join_path(*folder, FAILURE_RECORD_FILE);
  if (!apply::reject_linked_path(path)) {
    return std::nullopt;
  }
  const win::FileHandle file(CreateFileW(win::widen(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return std::nullopt;
  }
  const auto bytes = win::read_all(file.get(), RECORD_MAX_BYTES + 1);
  if (!bytes) {
    return std::nullopt;
  }
  return parse_failure_record(*bytes, worker_pid, start_millis);
}

}  // namespace borelu::controller

#include "controller/failure_record.h"

#include <windows.h>

#include "apply/path_safety.h"
#include "controller/failure_record_format.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/random.h"
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

  // An existing record is opened as itself (never through a link) and must prove to be an
  // ordinary file with one name; then a new record takes its name whole and at once, so that a
  // crash never leaves half of one, and a planted link or hard link is replaced, never written
  // through.
  if (win::path_attributes(path) != INVALID_FILE_ATTRIBUTES) {
    const win::FileHandle existing(
        CreateFileW(win::widen(path).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!existing) {
      return std::unexpected(win::last_os_failure());
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const auto linked = apply::opened_link(existing.get(), path);
    if (!GetFileInformationByHandle(existing.get(), &info) || info.nNumberOfLinks != 1 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !linked || *linked) {
      return fail("Unsafe diagnostic file.");
    }
  }
  // Workers that fail before or at the install lock write outside it, perhaps at the same time:
  // each through a new file of its own.
  const auto digits = win::random_hex(8);
  if (!digits) {
    return std::unexpected(digits.error());
  }
  return win::replace_file_through(
      path, path + "." + *digits + ".new",
      [&](HANDLE file) { return win::write_all(file, record); }, apply::protect_path);
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

#include "controller/failure_record.h"

#include <windows.h>

#include "apply/maintenance_folder.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "protocol/failure_record_format.h"
#include "storage/path_safety.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/random.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::controller {

namespace {

// Whether process `pid` still runs. Unknown (access refused) counts as running: its file is kept.
bool process_runs(std::uint32_t pid) {
  const win::Handle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!process) {
    return GetLastError() != ERROR_INVALID_PARAMETER;  // the documented answer for no such process
  }
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// Removes one writer's new record file if it is left over. Opened sharing nothing and as itself:
// a writer that still holds its file makes the open fail, and while this handle is open no writer
// can open it; it is removed through this handle, never by its name again.
void remove_if_left_over(const std::string& path, const protocol::RecordTemporary& temporary,
                         std::uint64_t now_millis) {
  const win::FileHandle file(CreateFileW(win::widen(path).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                         nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return;
  }
  const std::uint64_t written = protocol::unix_millis_from_file_time(
      (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
      info.ftLastWriteTime.dwLowDateTime);
  const std::uint64_t age = now_millis > written ? now_millis - written : 0;
  const bool running = temporary.writerPid && process_runs(*temporary.writerPid);
  if (!protocol::record_temporary_is_stale(temporary, running, age)) {
    return;
  }
  FILE_DISPOSITION_INFO disposition{TRUE};
  SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition);
}

// A worker killed between creating its new record file and renaming it leaves that file behind:
// each record written removes those whose writers are gone. Another worker's file still being
// written is kept (its writer runs, or holds it open).
void remove_left_over_records(const std::string& folder) {
  WIN32_FIND_DATAW found{};
  const win::FindHandle search(FindFirstFileW(
      win::widen(join_path(folder, std::string(protocol::FAILURE_RECORD_FILE) + ".*")).c_str(),
      &found));
  if (!search) {
    return;
  }
  const std::uint64_t now = current_unix_millis();
  do {
    const std::string name = win::narrow(found.cFileName);
    if (const auto temporary = protocol::parse_record_temporary_name(name)) {
      remove_if_left_over(join_path(folder, name), *temporary, now);
    }
  } while (FindNextFileW(search.get(), &found));
}

}  // namespace

std::uint64_t current_unix_millis() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  return protocol::unix_millis_from_file_time(
      (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

Status write_failure_record(std::string_view message) {
  const auto folder = apply::prepare_maintenance_folder();
  if (!folder) {
    return std::unexpected(folder.error());
  }
  const std::string path = join_path(*folder, protocol::FAILURE_RECORD_FILE);
  if (auto checked = storage::reject_linked_path(path); !checked) {
    return checked;
  }
  const std::string record =
      protocol::failure_record_json(GetCurrentProcessId(), current_unix_millis(), message);

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
    const auto linked = storage::opened_link(existing.get(), path);
    if (!GetFileInformationByHandle(existing.get(), &info) || info.nNumberOfLinks != 1 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !linked || *linked) {
      return fail("Unsafe diagnostic file.");
    }
  }
  remove_left_over_records(*folder);
  // Workers that fail before or at the install lock write outside it, perhaps at the same time:
  // each through a new file of its own, named for its process.
  const auto digits = win::random_hex(8);
  if (!digits) {
    return std::unexpected(digits.error());
  }
  return win::replace_file_through(
      path, join_path(*folder, protocol::record_temporary_name(GetCurrentProcessId(), *digits)),
      [&](HANDLE file) { return win::write_all(file, record); }, storage::protect_path);
}

std::optional<std::string> read_failure_record(std::uint32_t worker_pid,
                                               std::uint64_t start_millis) {
  const auto folder = manifest::maintenance_folder_path();
  if (!folder) {
    return std::nullopt;
  }
  const std::string path = join_path(*folder, protocol::FAILURE_RECORD_FILE);
  if (!storage::reject_linked_path(path)) {
    return std::nullopt;
  }
  const win::FileHandle file(CreateFileW(win::widen(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return std::nullopt;
  }
  const auto bytes = win::read_all(file.get(), protocol::RECORD_MAX_BYTES + 1);
  if (!bytes) {
    return std::nullopt;
  }
  return protocol::parse_failure_record(*bytes, worker_pid, start_millis);
}

}  // namespace borelu::controller

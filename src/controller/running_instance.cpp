#include "controller/running_instance.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>
#include <string>

#include "controller/installed_application.h"
#include "core/ascii_case.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"
#include "windows/process_identity.h"

namespace borelu::controller {
namespace {

static_assert(sizeof(PROCESSENTRY32W) == 568);
constexpr DWORD kQueryAccess = PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;
static_assert(kQueryAccess == 0x00101000);

bool has_ended(HANDLE process) {
  return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

bool is_application_name(const PROCESSENTRY32W& entry) {
  const std::wstring_view name(entry.szExeFile, wcsnlen(entry.szExeFile, MAX_PATH));
  return equal_ignoring_ascii_case(win::narrow(name), manifest::APPLICATION_FILE);
}

}  // namespace

Result<bool> process_runs(std::uint32_t process_id, std::string_view application) {
  const win::Handle process(OpenProcess(kQueryAccess, FALSE, process_id));
  if (!process) {
    // The process is gone: its id names nothing any more.
    if (GetLastError() == ERROR_INVALID_PARAMETER) {
      return false;
    }
    // Anything else means it belongs to another user or session and may well be the installed
    // application: it has to be closed there.
    return fail("Close Borelu in every Windows session before uninstalling.");
  }
  if (has_ended(process.get())) {
    return false;
  }
  const auto image = blocking::process_image_path(process.get());
  if (!image) {
    if (has_ended(process.get())) {
      return false;
    }
    return std::unexpected(image.error());
  }
  return blocking::same_file_path(*image, application);
}

Result<RunningInstance> find_running_instance() {
  const win::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) {
    return std::unexpected(win::last_os_failure("Check running Borelu"));
  }
  const auto application = installed_application_path();
  if (!application) {
    return std::unexpected(application.error());
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (!is_application_name(entry)) {
      continue;
    }
    const auto runs = process_runs(entry.th32ProcessID, *application);
    if (!runs) {
      return std::unexpected(runs.error());
    }
    if (*runs) {
      return RunningInstance::running;
    }
  }
  // The walk ends with "no more entries"; any other reason would leave processes unseen.
  if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) {
    return std::unexpected(win::os_failure("Check running Borelu", error));
  }
  return RunningInstance::none;
}

}  // namespace borelu::controller

#include <windows.h>

#include <algorithm>

#include "apply/apply_run.h"
#include "apply/blocking_service.h"
#include "core/path_text.h"
#include "manifest/file_names.h"
#include "registration.h"
#include "win/files.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::apply {

Failure restore_installation(ApplyRun& run, Failure failure) {
  run.work.keepRollback = true;
  if (auto stopped = stop_blocking_service(); !stopped) {
    return stopped.error();
  }
  for (const std::string_view name : ROLLBACK_NAMES) {
    const std::wstring target = win::widen(join_path(run.installationFolder, name));
    const bool saved = std::ranges::find(run.savedNames, name) != run.savedNames.end();
    bool restored = true;
    if (saved) {
      restored = CopyFileExW(win::widen(join_path(run.work.rollback(), name)).c_str(),
                             target.c_str(), nullptr, nullptr, nullptr, 0);
    } else if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
      restored = DeleteFileW(target.c_str());
    }
    if (!restored) {
      const DWORD error = GetLastError();
      return Failure(failure.text() + " Recovery failed: " + win::system_error_text(error) +
                     ". Run BoreluSetup again.");
    }
  }
  if (auto startup = registration::set_startup_entry(
          run.ownerSid, run.snapshot.hadStartup,
          join_path(run.installationFolder, manifest::APPLICATION_FILE));
      !startup) {
    return startup.error();
  }
  const auto uninstall = run.snapshot.previousRelease
                             ? registration::register_uninstall_entry(*run.snapshot.previousRelease)
                             : registration::remove_uninstall_entry();
  if (!uninstall) {
    return uninstall.error();
  }
  if (auto service = restore_blocking_service(run.serviceExisted); !service) {
    return service.error();
  }
  run.work.keepRollback = false;
  return failure;
}

}  // namespace borelu::apply

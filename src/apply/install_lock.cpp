#include "apply/install_lock.h"

#include <windows.h>

#include <string>

#include "protocol/worker_outcome.h"

#include "win/security.h"
#include "win/system_error.h"

namespace borelu::apply {

Result<win::Handle> take_install_lock() {
  const auto descriptor = win::security_descriptor(L"D:P(A;;GA;;;SY)(A;;GA;;;BA)");
  if (!descriptor) {
    return std::unexpected(descriptor.error());
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor->get(), FALSE};
  win::Handle lock(CreateMutexW(&attributes, TRUE, L"Global\\Borelu.Update.InstallLock"));
  if (!lock) {
    return std::unexpected(win::last_os_failure("Lock Borelu installation"));
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    return fail(std::string(protocol::kAnotherInstallationRunning));
  }
  return lock;
}

}  // namespace borelu::apply

#include "apply/install_lock.h"

#include <windows.h>
#include <sddl.h>

#include "win/system_error.h"

namespace borelu::apply {

Result<win::Handle> take_install_lock() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          L"D:P(A;;GA;;;SY)(A;;GA;;;BA)", SDDL_REVISION_1, &descriptor, nullptr)) {
    return std::unexpected(win::last_os_failure("Build access policy"));
  }
  const win::LocalMemory descriptor_owner(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  win::Handle lock(CreateMutexW(&attributes, TRUE, L"Global\\Borelu.Update.InstallLock"));
  if (!lock) {
    return std::unexpected(win::last_os_failure("Lock Borelu installation"));
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    return fail("Another Borelu installation is already running.");
  }
  return lock;
}

}  // namespace borelu::apply

#include "win/security.h"

#include <sddl.h>

#include <string>

#include "win/system_error.h"

namespace borelu::win {

Result<LocalMemory> security_descriptor(std::wstring_view sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          std::wstring(sddl).c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return std::unexpected(last_os_failure("Build access policy"));
  }
  return LocalMemory(descriptor);
}

}  // namespace borelu::win

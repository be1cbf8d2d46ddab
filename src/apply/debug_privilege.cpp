#include "apply/debug_privilege.h"

namespace borelu::apply {

DebugPrivilegeScope::DebugPrivilegeScope() noexcept {
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token_.put())) {
    return;
  }
  TOKEN_PRIVILEGES enabled{};
  enabled.PrivilegeCount = 1;
  enabled.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &enabled.Privileges[0].Luid)) {
    return;
  }
  DWORD size = 0;
  // Succeeds with ERROR_NOT_ALL_ASSIGNED when the token does not hold the privilege.
  changed_ =
      AdjustTokenPrivileges(token_.get(), FALSE, &enabled, sizeof previous_, &previous_, &size) &&
      GetLastError() == ERROR_SUCCESS && previous_.PrivilegeCount == 1;
}

DebugPrivilegeScope::~DebugPrivilegeScope() {
  if (!changed_) {
    return;
  }
  const DWORD error = GetLastError();
  (void)AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
  SetLastError(error);
}

}  // namespace borelu::apply

#pragma once

#include <windows.h>

#include <utility>

#include "win/handles.h"

namespace borelu::apply {

// The worker's SeDebugPrivilege, enabled for the length of one scope and then put back as it was.
// Opening a process, or its token, that another account started is checked against that
// process's own access rule, which lets in only its user and the system: the case of an update
// started from a standard account and elevated with an administrator's password. An elevated
// administrator's token holds this privilege, disabled; enabled, it lets the open through. A
// token without it (or one that cannot be adjusted) leaves the scope empty: a process of the
// worker's own account opens without it, as before. The thread's last error survives the scope's
// end, so a caller can still read the error of the call made inside it.
class DebugPrivilegeScope {
 public:
  DebugPrivilegeScope() noexcept;
  ~DebugPrivilegeScope();
  DebugPrivilegeScope(const DebugPrivilegeScope&) = delete;
  DebugPrivilegeScope& operator=(const DebugPrivilegeScope&) = delete;

 private:
  win::Handle token_;
  TOKEN_PRIVILEGES previous_{};
  bool changed_ = false;
};

// `call()` with the privilege enabled, and what it returns; nothing else runs with it.
template <class Call>
decltype(auto) with_debug_privilege(Call&& call) {
  const DebugPrivilegeScope scope;
  return std::forward<Call>(call)();
}

}  // namespace borelu::apply

#include "win/redirection_trust.h"

#include <windows.h>

namespace borelu::win {
namespace {

// PROCESS_MITIGATION_POLICY's ProcessRedirectionTrustPolicy and its
// PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY, whose first bit is EnforceRedirectionTrust.
static_assert(ProcessRedirectionTrustPolicy == 16);
static_assert(sizeof(PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY) == 4);

using SetPolicy = BOOL(WINAPI*)(PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);

}  // namespace

void enforce_redirection_trust() {
  // Resolved at run time: a static import of a function an older system lacks would stop the
  // program from loading at all.
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  const auto set_policy = reinterpret_cast<SetPolicy>(reinterpret_cast<void*>(
      kernel32 != nullptr ? GetProcAddress(kernel32, "SetProcessMitigationPolicy") : nullptr));
  if (set_policy == nullptr) {
    return;
  }
  PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY policy{};
  policy.EnforceRedirectionTrust = 1;
  // Refused by systems that do not know the policy; nothing else to do then.
  (void)set_policy(ProcessRedirectionTrustPolicy, &policy, sizeof policy);
}

}  // namespace borelu::win

#pragma once

#include <windows.h>

#include <string>

#include "core/failure.h"

namespace borelu::webview2 {

// Authenticode check of a file held open by the caller, without any window and without network
// revocation checks: the bootstrapper runs only when Windows trusts its signature.
[[nodiscard]] Status verify_signature(const std::wstring& path, HANDLE file);

}  // namespace borelu::webview2

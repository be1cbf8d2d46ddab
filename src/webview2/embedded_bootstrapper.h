#pragma once

#include <span>

// EMBEDDED_BOOTSTRAPPER_SIZE and EMBEDDED_BOOTSTRAPPER_SHA256, computed by the build from the
// file it embeds.
#include "embedded_bootstrapper_digest.h"

namespace borelu::webview2 {

// The WebView2 bootstrapper carried in the program's read-only data: Microsoft's in a release
// build, the project's signed test double in a test build.
[[nodiscard]] std::span<const unsigned char> embedded_bootstrapper();

}  // namespace borelu::webview2

#pragma once

#include <string_view>

#include "core/failure.h"

namespace borelu::webview2 {

inline constexpr std::string_view BOOTSTRAPPER_FILE = "MicrosoftEdgeWebview2Setup.exe";

// Whether a usable WebView2 runtime is registered machine-wide or for the owner. Never fails:
// anything unreadable counts as absent.
[[nodiscard]] bool is_webview2_present(std::string_view owner_sid);

}  // namespace borelu::webview2

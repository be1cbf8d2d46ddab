#pragma once

#include <string_view>

#include "core/failure.h"

namespace borelu::apply {

// Writes the embedded bootstrapper into the work folder, proves that the copy is the embedded
// file and that its Authenticode signature holds, runs it silently and judges the outcome by
// whether the runtime is present afterwards.
[[nodiscard]] Status provide_webview2(std::string_view owner_sid, std::string_view work_folder);

// The worker's step: nothing when the runtime is present, otherwise provide it and make sure.
[[nodiscard]] Status ensure_webview2(std::string_view owner_sid, std::string_view work_folder);

}  // namespace borelu::apply

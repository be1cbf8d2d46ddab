#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/failure.h"
#include "manifest/release.h"

namespace borelu::apply {

// Before a worker run copies the stage: whether the volume of its work folder holds everything
// the apply will write there (the release twice, the rollback copy of the installed files, a new
// runner, the WebView2 bootstrapper when the runtime is missing).
[[nodiscard]] Status check_apply_space(std::string_view work_folder,
                                       const manifest::Release& release, std::size_t metadata_bytes,
                                       std::string_view owner_sid);

}  // namespace borelu::apply

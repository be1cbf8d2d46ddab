#pragma once

#include <string_view>

#include "core/failure.h"
#include "win/handles.h"

namespace borelu::win {

// A security descriptor built from its SDDL text, owned (freed with LocalFree). A failure is
// labelled "Build access policy".
[[nodiscard]] Result<LocalMemory> security_descriptor(std::wstring_view sddl);

}  // namespace borelu::win

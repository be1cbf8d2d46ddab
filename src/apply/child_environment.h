#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace borelu::apply {

// One variable a helper's environment must hold: name and value.
using EnvironmentValue = std::pair<std::wstring, std::wstring>;

// The environment block for a program the worker starts: the worker's own "NAME=value" strings
// without those named in `removed`, with each of `fixed` set to its value (names compared without
// regard to ASCII case, so "Temp" is TEMP), sorted by name without regard to case as Windows
// expects of a block, each string ended by a null and the block by one null more.
[[nodiscard]] std::wstring helper_environment(std::span<const std::wstring> current,
                                              std::span<const EnvironmentValue> fixed,
                                              std::span<const std::wstring_view> removed = {});

}  // namespace borelu::apply

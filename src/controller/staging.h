#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "controller/cancel_state.h"
#include "core/failure.h"
#include "manifest/release.h"

namespace borelu::controller {

// The controller's progress line: percent and the English text.
using ProgressReporter = std::function<void(std::uint32_t percent, const std::string& text)>;

// A new, empty staging folder "BoreluUpdate-<32 hex>" under LOCALAPPDATA\BoreluTauri/updates.
[[nodiscard]] Result<std::string> create_stage();

// Downloads every file of the verified release into the stage, each through a ".part" file that
// is read back and checked against its signed size and SHA-256 before it takes its name, then
// stages the metadata as "release.json". On failure everything staged is removed first.
[[nodiscard]] Status download_release(std::string_view stage, const manifest::Release& release,
                                      std::string_view metadata, const CancelState& cancel,
                                      const ProgressReporter& progress);

// Removes a stage after a successful installation, only when it is one of ours: a stage name
// directly inside the updates folder, reached without links. Never fails.
void remove_stage_after_success(std::string_view stage);

}  // namespace borelu::controller

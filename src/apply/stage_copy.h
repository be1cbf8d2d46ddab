#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "manifest/release.h"

namespace borelu::apply {

struct StagedRelease {
  std::string bytes;  // "release.json" exactly as staged
  manifest::Release release;
};

// Called once the stage folder is open and checked, before anything in it is read.
using StageOpened = std::function<void()>;
// Asked once the release is verified and before its first file is copied: whether the run may go
// on (given the release and the size of its metadata).
using BeforeCopy = std::function<Status(const manifest::Release&, std::size_t)>;

// Copies the stage into the work folder, verifying "release.json" and checking every byte of each
// file against the signed metadata while it is copied. The stage folder is opened once and
// checked, and every file in it is reached relative to that handle; staged files are held open
// against writers, so what is checked is what is copied.
[[nodiscard]] Result<StagedRelease> copy_stage_to_work(std::string_view stage_folder,
                                                       std::string_view work_folder,
                                                       const BeforeCopy& before_copy = {},
                                                       const StageOpened& opened = nullptr);

}  // namespace borelu::apply

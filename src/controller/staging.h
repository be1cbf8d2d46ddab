#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "controller/cancel_state.h"
#include "controller/progress_text.h"
#include "core/failure.h"
#include "manifest/release.h"
#include "win/handles.h"

namespace borelu::controller {

// A staging folder of this run, and the run's hold on it: its marker file, open without delete
// sharing, so that no other run takes the folder for a leftover and removes it.
struct Stage {
  std::string path;
  win::FileHandle marker;
};

// A new, empty staging folder "BoreluUpdate-<32 hex>" under LOCALAPPDATA\BoreluTauri/updates,
// with its marker held. First it removes the staging folders there that earlier runs left (a run
// that stopped between verification and a successful installation leaves its stage): each whose
// marker no running Setup or worker holds, reached without links. Only the files Setup stages go,
// then the marker, then the folder if that left it empty; a folder without a marker, or anything
// else in one, belongs to another program and stays.
[[nodiscard]] Result<Stage> create_stage();

// Downloads every file of the verified release into the stage, each through a ".part" file that
// is read back and checked against its signed size and SHA-256 before it takes its name, then
// stages the metadata as "release.json". On failure everything staged is removed first, the
// marker and the folder included.
[[nodiscard]] Status download_release(Stage& stage, const manifest::Release& release,
                                      std::string_view metadata, const CancelState& cancel,
                                      const ProgressReporter& progress);

// Removes a stage after a successful installation, only when it is one of ours: a stage name
// directly inside the updates folder, reached without links. Never fails.
void remove_stage_after_success(Stage& stage);

}  // namespace borelu::controller

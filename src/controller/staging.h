#pragma once

#include <cstdint>
#include <functional>
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
// marker no running Setup or worker holds, reached without links (`remove_unused_stages`). A
// folder without a marker, or with anything in it but what Setup stages, belongs to another
// program and stays whole.
[[nodiscard]] Result<Stage> create_stage();

// Downloads every file of the verified release into the stage, each through a ".part" file that
// is read back and checked against its signed size and SHA-256 before it takes its name, then
// stages the metadata as "release.json". On failure the stage is removed first, as after a
// successful installation.
[[nodiscard]] Status download_release(Stage& stage, const manifest::Release& release,
                                      std::string_view metadata, const CancelState& cancel,
                                      const ProgressReporter& progress);

// Called with a staging folder's name once the clean-up has checked the folder and taken its
// marker, before it deletes anything in it.
using StageChecked = std::function<void(std::string_view name)>;

// The clean-up `create_stage` begins with, of the staging folders in the folder `updates`:
// every one an earlier run left, an ordinary folder that holds only files Setup stages and whose
// marker no running Setup or worker holds. The folder and its children are reached relative to
// handles opened as themselves and checked, never by a path read again.
void remove_unused_stages(std::string_view updates, const StageChecked& checked = nullptr);

// Removes a stage after a successful installation, only when it is one of ours: a stage name
// directly inside the updates folder, removed as `remove_unused_stages` removes one once this
// run lets go of its marker. Never fails.
void remove_stage_after_success(Stage& stage);

}  // namespace borelu::controller

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "apply/rollback.h"
#include "apply/work_folder.h"
#include "core/failure.h"
#include "manifest/release.h"

namespace borelu::apply {

// What one worker run carries from step to step, and what a restore needs.
struct ApplyRun {
  std::string ownerSid;
  std::string maintenanceFolder;
  std::string installationFolder;
  WorkFolder work;
  std::string releaseBytes;
  manifest::Release release;
  std::optional<std::string> installedReleaseBytes;  // as read once, before anything changed
  RestoreSnapshot snapshot;
  bool serviceExisted = false;
  std::vector<std::string> savedNames;
};

// Puts the previous installation back after a failed apply and returns the failure to report:
// the apply's own when everything was restored, otherwise what stopped the restore (the rollback
// copy is then kept for an administrator).
[[nodiscard]] Failure restore_installation(ApplyRun& run, Failure failure);

}  // namespace borelu::apply

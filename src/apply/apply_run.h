#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apply/rollback.h"
#include "apply/service_control.h"
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
  bool changesStartup = true;  // a setup writes the owner's startup value; an update never does
  bool serviceExisted = false;
  std::vector<std::string> savedNames;
};

// Puts the previous installation back after a failed apply and returns the failure to report:
// the apply's own when everything was restored, otherwise the apply's followed by " Recovery
// failed: ", the first step that failed and ". Run BoreluSetup again." Every step is tried
// whatever an earlier one met; after a failure the rollback copy and its record stay, and the
// next run restores from them before anything else.
[[nodiscard]] Failure restore_installation(ApplyRun& run, Failure failure,
                                           ServiceControl& services);

// Restores the rollback copy of every work folder whose apply was interrupted (a worker killed
// between its rollback copy and the end of its apply), so that the installation is again the
// release it was before. Run first, under the install lock.
[[nodiscard]] Status recover_interrupted_applies(std::string_view maintenance_folder,
                                                 ServiceControl& services);

}  // namespace borelu::apply

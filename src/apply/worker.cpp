#include "apply/worker.h"

#include <windows.h>

#include <string_view>

#include "apply/apply_run.h"
#include "apply/apply_space.h"
#include "apply/blocking_service.h"
#include "apply/calling_application.h"
#include "apply/install_lock.h"
#include "apply/maintenance.h"
#include "apply/maintenance_folder.h"
#include "apply/stage_copy.h"
#include "apply/version_gate.h"
#include "apply/webview2_provision.h"
#include "core/path_text.h"
#include "core/scope_exit.h"
#include "manifest/installation.h"
#include "storage/path_safety.h"
#include "webview2/webview2.h"
#include "win/text.h"
#include "win/timeline.h"
#include "windows/owner_sid.h"
#include "windows/process_identity.h"

namespace borelu::apply {
namespace {

constexpr std::string_view kStageNotLocal =
    "The update must be staged in a folder on this computer.";

// Everything that comes before the first change to the installation: the checked copy of the
// stage, the owner and version rules, the calling application, the WebView2 runtime, what a
// restore will need, the updater's runner and the rollback copy. A failure here leaves the
// installation folder, the service and the registration as they were.
Status prepare_apply(const protocol::WorkerRequest& request, ApplyRun& run) {
  namespace timeline = win::timeline;
  // The sizes are known once "release.json" verifies: the volume is checked before the first copy.
  auto staged = timeline::timed("worker: stage copied", [&] {
    return copy_stage_to_work(request.stageDir, run.work.path,
                              [&](const manifest::Release& release, std::size_t metadata_bytes) {
                                return check_apply_space(run.work.path, release, metadata_bytes,
                                                         run.ownerSid);
                              });
  });
  if (!staged) {
    return std::unexpected(staged.error());
  }
  run.releaseBytes = std::move(staged->bytes);
  run.release = std::move(staged->release);
  auto installation = manifest::installation_folder();
  if (!installation) {
    return std::unexpected(installation.error());
  }
  run.installationFolder = *installation;

  auto installed = timeline::timed("worker: owner and version checked", [&] {
    return check_owner_and_version(request.operation, run.ownerSid, run.release);
  });
  if (!installed) {
    return std::unexpected(installed.error());
  }
  run.installedReleaseBytes = std::move(*installed);

  if (auto caller = timeline::timed("worker: caller checked",
                                    [&] {
                                      return check_calling_application(
                                          request.parentPid, run.ownerSid, run.installationFolder);
                                    });
      !caller) {
    return caller;
  }

  if (auto runtime = timeline::timed("worker: WebView2",
                                     [&] { return ensure_webview2(run.ownerSid, run.work.path); });
      !runtime) {
    return runtime;
  }

  auto service = timeline::timed("worker: service probed",
                                 [] { return probe_blocking_service(system_service_control()); });
  if (!service) {
    return std::unexpected(service.error());
  }
  run.serviceExisted = *service;
  run.snapshot = timeline::timed("worker: restore snapshot", [&] {
    return take_restore_snapshot(run.ownerSid, run.installedReleaseBytes);
  });

  if (auto runner = timeline::timed("worker: updater runner",
                                    [&] { return provide_updater_runner(run.release, run.work); });
      !runner) {
    return runner;
  }

  auto saved = timeline::timed("worker: rollback copy", [&] {
    return make_rollback_copy(run.installationFolder, run.work.rollback());
  });
  if (!saved) {
    return std::unexpected(saved.error());
  }
  run.savedNames = std::move(*saved);
  run.changesStartup = request.preferences.has_value();
  return begin_apply(
      run.work, {run.snapshot.hadStartup, run.ownerSid, run.serviceExisted, run.changesStartup});
}

// The point of no return: the service installer puts the release in place and the records are
// committed. Any failure from here on restores the previous installation from the rollback copy.
Status apply_under_rollback(const protocol::WorkerRequest& request, ApplyRun& run) {
  namespace timeline = win::timeline;
  Status applied = timeline::timed("worker: service installer", [&] {
    return run_service_installer(run.work.path, run.ownerSid);
  });
  if (applied) {
    const timeline::Span span("worker: records committed");
    applied = commit_records(run.installationFolder, run.releaseBytes, run.release,
                             request.preferences, run.ownerSid);
  }
  if (applied) {
    applied = timeline::timed("worker: apply ended", [&] { return end_apply(run.work.path); });
  }
  if (!applied) {
    return std::unexpected(
        restore_installation(run, std::move(applied.error()), system_service_control()));
  }
  const timeline::Span span("worker: finished");
  finish_successful_apply(run.release, run.maintenanceFolder, run.work);
  return {};
}

// The run once the install lock is held, in its own work folder, which is tidied on every way out.
Status apply_locked(const protocol::WorkerRequest& request) {
  ApplyRun run;
  run.ownerSid = request.ownerSid;
  auto maintenance = win::timeline::timed("worker: maintenance folder", prepare_maintenance_folder);
  if (!maintenance) {
    return std::unexpected(maintenance.error());
  }
  run.maintenanceFolder = *maintenance;
  if (auto recovered = win::timeline::timed("worker: interrupted applies recovered",
                                            [&] {
                                              return recover_interrupted_applies(
                                                  run.maintenanceFolder, system_service_control());
                                            });
      !recovered) {
    return recovered;
  }
  auto work = create_work_folder(run.maintenanceFolder);
  if (!work) {
    return std::unexpected(work.error());
  }
  run.work = *work;
  const ScopeExit tidy([&] {
    const win::timeline::Span tidied("worker: work folder tidied");
    tidy_work_folder(run.work);
  });

  if (auto prepared = prepare_apply(request, run); !prepared) {
    return prepared;
  }
  return apply_under_rollback(request, run);
}

}  // namespace

Status run_worker(const protocol::WorkerRequest& request, const FailureReport& report) {
  const auto reported = [&](Status outcome) {
    if (!outcome) {
      report(outcome.error());
    }
    return outcome;
  };
  if (!blocking::is_elevated() || !blocking::is_valid_owner_sid(request.ownerSid)) {
    return reported(fail("Windows installation permission is required."));
  }
  // The stage is read with administrator rights: never from another computer (which would be
  // asked to accept this one's credentials) or a device.
  if (!is_local_drive_path(request.stageDir) ||
      GetDriveTypeW(win::widen(request.stageDir.substr(0, 3)).c_str()) == DRIVE_REMOTE) {
    return reported(fail(std::string(kStageNotLocal)));
  }
  auto lock = take_install_lock();
  if (!lock) {
    return reported(std::unexpected(lock.error()));
  }
  if (request.preferences) {
    if (auto valid = options::validate(*request.preferences); !valid) {
      return reported(valid);
    }
    if (request.operation == protocol::Operation::update) {
      return reported(fail("Updates must preserve installation preferences."));
    }
  }
  return reported(apply_locked(request));  // reported before the lock goes
}

}  // namespace borelu::apply

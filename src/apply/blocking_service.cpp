#include "apply/blocking_service.h"

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>

#include "apply/helper_process.h"
#include "apply/installer_result.h"
#include "core/path_text.h"
#include "manifest/file_names.h"
#include "win/process.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::apply {
namespace {

constexpr DWORD kServiceAccess = DELETE | SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP;
static_assert(kServiceAccess == 0x00010034);
constexpr auto kStopLimit = std::chrono::seconds(30);
constexpr auto kStopPoll = std::chrono::milliseconds(100);

// Runs `act` on the service when it exists; an absent service needs nothing done.
template <class Act>
Status with_existing_service(ServiceControl& control, Act act) {
  auto service = control.open();
  if (!service) {
    return std::unexpected(service.error());
  }
  return *service ? act(**service) : Status{};
}

}  // namespace

Result<std::optional<win::ServiceHandle>> open_blocking_service() {
  const win::ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) {
    return std::unexpected(win::last_os_failure("Open service manager"));
  }
  win::ServiceHandle service(OpenServiceW(manager.get(), SERVICE_NAME.data(), kServiceAccess));
  if (!service) {
    if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) {
      return std::optional<win::ServiceHandle>();
    }
    return std::unexpected(win::last_os_failure("Open Borelu service"));
  }
  return std::optional<win::ServiceHandle>(std::move(service));
}

Result<bool> probe_blocking_service(ServiceControl& control) {
  const auto service = control.open();
  if (!service) {
    return std::unexpected(service.error());
  }
  return *service != nullptr;
}

namespace {

// How an installer run ended: its exit code and the start of what it wrote on standard error.
struct InstallerExit {
  DWORD code = 0;
  std::string standardError;
};

// Runs "BoreluService.exe --install --owner-sid SID" of `folder`, whose helpers' temporary
// folder is `work_folder`'s.
Result<InstallerExit> run_installer(std::string_view folder, std::string_view work_folder,
                                    std::string_view owner_sid) {
  auto input = win::child_pipe(win::ChildEnd::reads);
  auto output = win::child_pipe(win::ChildEnd::writes);
  auto error = win::child_pipe(win::ChildEnd::writes);
  if (!input || !output || !error) {
    return std::unexpected(!input ? input.error() : !output ? output.error() : error.error());
  }
  input->write.reset();  // standard input is empty

  // An installer that outlived a killed worker would go on changing the installation while the
  // next worker restores it: it runs in a job that ends it when the worker's handle goes.
  const auto job = win::kill_on_close_job();
  if (!job) {
    return std::unexpected(job.error());
  }
  const win::StandardHandles standard{input->read.get(), output->write.get(), error->write.get()};
  const auto child = start_helper(join_path(folder, manifest::SERVICE_FILE),
                                  L"--install --owner-sid " + win::widen(owner_sid),
                                  CREATE_NO_WINDOW, &standard, job->get(), work_folder);
  if (!child) {
    return std::unexpected(child.error());
  }
  // Our copies of the child's ends are closed, so the pipes end when the child's do.
  input->read.reset();
  output->write.reset();
  error->write.reset();

  std::string standard_error;
  {
    const auto output_drain = win::PipeDrain::start(output->read.get());
    if (!output_drain) {
      return std::unexpected(output_drain.error());  // the job's end stops the installer
    }
    standard_error = win::drain_pipe(error->read.get(), INSTALLER_ERROR_BYTES);
  }

  InstallerExit ended{0, std::move(standard_error)};
  if (WaitForSingleObject(child->process.get(), INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(child->process.get(), &ended.code)) {
    return std::unexpected(win::last_os_failure());
  }
  return ended;
}

}  // namespace

Status run_service_installer(std::string_view work_folder, std::string_view owner_sid) {
  const auto ended = run_installer(work_folder, work_folder, owner_sid);
  if (!ended) {
    return std::unexpected(ended.error());
  }
  if (ended->code == 0) {
    return {};
  }
  return fail(
      installer_failure_message(static_cast<std::int32_t>(ended->code), ended->standardError));
}

Status run_previous_service_installer(const PreviousInstaller& installer) {
  const auto ended = run_installer(installer.folder, installer.workFolder, installer.ownerSid);
  if (!ended) {
    return fail("The previous Borelu service could not be installed again: " +
                ended.error().text());
  }
  if (ended->code == 0) {
    return {};
  }
  return fail(previous_service_failure_message(static_cast<std::int32_t>(ended->code),
                                               ended->standardError));
}

namespace {

constexpr std::string_view kStillBeingRemoved =
    "Windows is still removing the Borelu service; restart Windows first.";

bool is_pending(std::uint32_t state) {
  return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
         state == SERVICE_CONTINUE_PENDING || state == SERVICE_PAUSE_PENDING;
}

// A service marked for deletion (DeleteService, by this worker or by a service installer) stays
// while any handle to it is open, this worker's own included, and cannot be created or started
// again until it has gone: it is opened afresh at each look until it no longer exists, within the
// stop limit.
Status wait_until_deleted(ServiceControl& control, std::unique_ptr<ControlledService> service) {
  service.reset();
  const auto start = control.now();
  while (true) {
    auto again = control.open();
    if (!again) {
      return std::unexpected(again.error());
    }
    if (!*again) {
      return {};
    }
    again->reset();
    if (control.now() - start > kStopLimit) {
      return fail(std::string(kStillBeingRemoved));
    }
    control.pause(kStopPoll);
  }
}

}  // namespace

// A service that is starting or stopping refuses the stop request (1061) until it has settled: it
// is asked again once it reports running (or paused), all within the one stop limit. A service
// already stopping needs no second request.
Status stop_blocking_service(ServiceControl& control) {
  return with_existing_service(control, [&](ControlledService& service) -> Status {
    bool accepted = false;
    const auto request = [&]() -> Status {
      const std::uint32_t stop = service.request_stop();
      if (stop == ERROR_SUCCESS || stop == ERROR_SERVICE_NOT_ACTIVE) {
        accepted = true;
      } else if (stop != ERROR_SERVICE_CANNOT_ACCEPT_CTRL) {
        return std::unexpected(win::os_failure("Stop Borelu service", stop));
      }
      return {};
    };
    if (auto requested = request(); !requested) {
      return requested;
    }
    const auto start = control.now();
    while (true) {
      ServiceStatus status;
      if (const std::uint32_t queried = service.query(status); queried != ERROR_SUCCESS) {
        return std::unexpected(win::os_failure("Wait for service", queried));
      }
      if (status.state == SERVICE_STOPPED && !status.processRunning) {
        return {};
      }
      if (!accepted && status.state != SERVICE_STOPPED && !is_pending(status.state)) {
        if (auto requested = request(); !requested) {
          return requested;
        }
      }
      if (control.now() - start > kStopLimit) {
        return fail("Borelu service did not stop. No update was applied.");
      }
      control.pause(kStopPoll);
    }
  });
}

Status restore_blocking_service(ServiceControl& control, bool service_existed,
                                const PreviousInstaller& previous) {
  auto opened = control.open();
  if (!opened) {
    return std::unexpected(opened.error());
  }
  std::unique_ptr<ControlledService> service = std::move(*opened);
  if (!service) {
    // Gone (1060): a failed installer deleted it. The files are the previous release's again,
    // and so must the service be, or a failed update would be a way to be rid of the blocker.
    return service_existed ? control.reinstall(previous) : Status{};
  }
  if (!service_existed) {
    // The failed apply created it. It goes only once every handle to it is closed, and until
    // then the installation that follows could not create it again.
    const std::uint32_t marked = service->mark_for_deletion();
    if (marked != ERROR_SUCCESS && marked != ERROR_SERVICE_MARKED_FOR_DELETE) {
      return {};  // a service that cannot be deleted is left as it is
    }
    return wait_until_deleted(control, std::move(service));
  }
  const std::uint32_t started = service->start();
  if (started == ERROR_SERVICE_MARKED_FOR_DELETE) {
    // The service installer deleted it (1072): it can be created again only once it has gone.
    if (auto deleted = wait_until_deleted(control, std::move(service)); !deleted) {
      return deleted;
    }
    return control.reinstall(previous);
  }
  if (started != ERROR_SUCCESS && started != ERROR_SERVICE_ALREADY_RUNNING) {
    return std::unexpected(win::os_failure("Restore Borelu service", started));
  }
  return {};
}

}  // namespace borelu::apply

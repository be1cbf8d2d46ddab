#include "apply/blocking_service.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

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
Status with_existing_service(Act act) {
  auto service = open_blocking_service();
  if (!service) {
    return std::unexpected(service.error());
  }
  return service->has_value() ? act((*service)->get()) : Status{};
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

Result<bool> probe_blocking_service() {
  const auto service = open_blocking_service();
  if (!service) {
    return std::unexpected(service.error());
  }
  return service->has_value();
}

Status run_service_installer(std::string_view work_folder, std::string_view owner_sid) {
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
  const auto child = start_helper(join_path(work_folder, manifest::SERVICE_FILE),
                                  L"--install --owner-sid " + win::widen(owner_sid),
                                  CREATE_NO_WINDOW, &standard, job->get());
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

  DWORD exit_code = 0;
  if (WaitForSingleObject(child->process.get(), INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(child->process.get(), &exit_code)) {
    return std::unexpected(win::last_os_failure());
  }
  if (exit_code == 0) {
    return {};
  }
  return fail(installer_failure_message(static_cast<std::int32_t>(exit_code), standard_error));
}

namespace {

// The process of a service that runs in a process of its own. Its executable stays in use until
// that process has ended, which can be a moment after the service reports that it stopped; the
// restore that follows a stop overwrites that executable.
win::Handle own_service_process(SC_HANDLE service) {
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                            sizeof status, &needed) ||
      status.dwProcessId == 0 || (status.dwServiceType & SERVICE_WIN32_OWN_PROCESS) == 0) {
    return {};
  }
  return win::Handle(OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId));
}

}  // namespace

Status stop_blocking_service() {
  return with_existing_service([](SC_HANDLE service) -> Status {
    const win::Handle process = own_service_process(service);
    SERVICE_STATUS status{};
    if (!ControlService(service, SERVICE_CONTROL_STOP, &status) &&
        GetLastError() != ERROR_SERVICE_NOT_ACTIVE) {
      return std::unexpected(win::last_os_failure("Stop Borelu service"));
    }
    const auto start = std::chrono::steady_clock::now();
    while (true) {
      if (!QueryServiceStatus(service, &status)) {
        return std::unexpected(win::last_os_failure("Wait for service"));
      }
      if (status.dwCurrentState == SERVICE_STOPPED &&
          (!process || WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0)) {
        return {};
      }
      if (std::chrono::steady_clock::now() - start > kStopLimit) {
        return fail("Borelu service did not stop. No update was applied.");
      }
      std::this_thread::sleep_for(kStopPoll);
    }
  });
}

Status restore_blocking_service(bool service_existed) {
  return with_existing_service([service_existed](SC_HANDLE service) -> Status {
    if (!service_existed) {
      (void)DeleteService(service);  // the failed apply created it
      return {};
    }
    if (!StartServiceW(service, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
      return std::unexpected(win::last_os_failure("Restore Borelu service"));
    }
    return {};
  });
}

}  // namespace borelu::apply

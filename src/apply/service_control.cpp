#include "apply/service_control.h"

#include <windows.h>

#include <optional>
#include <thread>

#include "apply/blocking_service.h"
#include "win/handles.h"

namespace borelu::apply {
namespace {

// The process of a service that runs in a process of its own, seen when the service is opened.
// Its executable stays in use until that process has ended, which can be a moment after the
// service reports that it stopped; the restore that follows a stop overwrites that executable.
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

std::uint32_t result_of(BOOL done) {
  return done ? ERROR_SUCCESS : GetLastError();
}

class SystemService final : public ControlledService {
 public:
  explicit SystemService(win::ServiceHandle service)
      : service_(std::move(service)), process_(own_service_process(service_.get())) {}

  std::uint32_t request_stop() override {
    SERVICE_STATUS status{};
    return result_of(ControlService(service_.get(), SERVICE_CONTROL_STOP, &status));
  }
  std::uint32_t query(ServiceStatus& status) override {
    SERVICE_STATUS current{};
    if (!QueryServiceStatus(service_.get(), &current)) {
      return GetLastError();
    }
    status.state = current.dwCurrentState;
    status.processRunning = process_ && WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0;
    return ERROR_SUCCESS;
  }
  std::uint32_t start() override { return result_of(StartServiceW(service_.get(), 0, nullptr)); }
  std::uint32_t mark_for_deletion() override { return result_of(DeleteService(service_.get())); }

 private:
  win::ServiceHandle service_;
  win::Handle process_;
};

class SystemServiceControl final : public ServiceControl {
 public:
  Result<std::unique_ptr<ControlledService>> open() override {
    auto service = open_blocking_service();
    if (!service) {
      return std::unexpected(service.error());
    }
    if (!*service) {
      return std::unique_ptr<ControlledService>();
    }
    return std::make_unique<SystemService>(std::move(**service));
  }
  std::chrono::steady_clock::time_point now() override { return std::chrono::steady_clock::now(); }
  void pause(std::chrono::milliseconds length) override { std::this_thread::sleep_for(length); }
  Status reinstall(const PreviousInstaller& installer) override {
    return run_previous_service_installer(installer);
  }
};

}  // namespace

ServiceControl& system_service_control() {
  static SystemServiceControl control;
  return control;
}

}  // namespace borelu::apply

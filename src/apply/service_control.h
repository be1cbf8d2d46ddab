#pragma once

// The service control manager's calls that the worker makes on the blocking service, behind a
// small interface: the restore and the start of every run go through it, and a test can play the
// answers of a service that is starting, stopping or being deleted, which a service of its own
// cannot be made to give on demand. The interface also runs the previous release's own service
// installer, the one way to put back a service that a failed apply removed.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>

#include "core/failure.h"

namespace borelu::apply {

struct ServiceStatus {
  std::uint32_t state = 0;      // SERVICE_STOPPED, SERVICE_START_PENDING, ... as Windows has them
  bool processRunning = false;  // the service's own process, seen when it was opened, still runs
};

// The blocking service, opened. Each call is one Windows call and returns 0 or its error code.
class ControlledService {
 public:
  virtual ~ControlledService() = default;
  virtual std::uint32_t request_stop() = 0;                // ControlService, SERVICE_CONTROL_STOP
  virtual std::uint32_t query(ServiceStatus& status) = 0;  // QueryServiceStatusEx
  virtual std::uint32_t start() = 0;                       // StartServiceW, no arguments
  virtual std::uint32_t mark_for_deletion() = 0;           // DeleteService
};

// The previous release's service installer: its folder (the rollback copy, which holds every
// file it installs beside it), the work folder whose "temp" it gets, and the owner it installs for.
struct PreviousInstaller {
  std::string_view folder;
  std::string_view workFolder;
  std::string_view ownerSid;
};

class ServiceControl {
 public:
  virtual ~ServiceControl() = default;
  // The service opened for query, start, stop and delete; null when it does not exist; or
  // "Open service manager" / "Open Borelu service" with the system error.
  virtual Result<std::unique_ptr<ControlledService>> open() = 0;
  // The clock that the waits for a service are measured with, and the pause between two looks.
  virtual std::chrono::steady_clock::time_point now() = 0;
  virtual void pause(std::chrono::milliseconds length) = 0;
  // Runs the installer with "--install --owner-sid SID", which installs and starts the service;
  // its failure is "The previous Borelu service could not be installed again (exit N). ...".
  virtual Status reinstall(const PreviousInstaller& installer) = 0;
};

// The machine's own service control manager and clock.
[[nodiscard]] ServiceControl& system_service_control();

}  // namespace borelu::apply

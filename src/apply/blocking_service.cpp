#include "apply/blocking_service.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "apply/installer_result.h"
#include "core/path_text.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::apply {
namespace {

constexpr DWORD kServiceAccess = DELETE | SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP;
static_assert(kServiceAccess == 0x00010034);
constexpr auto kStopLimit = std::chrono::seconds(30);
constexpr auto kStopPoll = std::chrono::milliseconds(100);

struct Pipe {
  win::Handle read;
  win::Handle write;
};

Result<Pipe> child_pipe(bool child_reads) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) {
    return std::unexpected(win::last_os_failure());
  }
  Pipe pipe{win::Handle(read), win::Handle(write)};
  // Only the child's end is inherited.
  SetHandleInformation(child_reads ? pipe.write.get() : pipe.read.get(), HANDLE_FLAG_INHERIT, 0);
  return pipe;
}

// Reads a pipe to its end, keeping at most `keep` bytes.
std::string drain(HANDLE pipe, std::size_t keep) {
  std::string kept;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    kept.append(buffer, std::min<std::size_t>(got, keep - std::min(keep, kept.size())));
  }
  return kept;
}

}  // namespace

namespace {

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
  win::ServiceHandle service(OpenServiceW(manager.get(), kServiceName.data(), kServiceAccess));
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
  auto input = child_pipe(true);
  auto output = child_pipe(false);
  auto error = child_pipe(false);
  if (!input || !output || !error) {
    return std::unexpected(!input ? input.error() : !output ? output.error() : error.error());
  }
  input->write.reset();  // standard input is empty

  std::wstring command = L"\"" + win::widen(join_path(work_folder, "BoreluService.exe")) +
                         L"\" --install --owner-sid " + win::widen(owner_sid);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input->read.get();
  startup.hStdOutput = output->write.get();
  startup.hStdError = error->write.get();
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info)) {
    return std::unexpected(win::last_os_failure());
  }
  const win::Handle process(info.hProcess);
  const win::Handle thread(info.hThread);
  // Our copies of the child's ends are closed, so the pipes end when the child's do.
  input->read.reset();
  output->write.reset();
  error->write.reset();

  std::thread output_reader([&] { (void)drain(output->read.get(), 0); });
  const std::string standard_error = drain(error->read.get(), kInstallerErrorBytes);
  output_reader.join();

  DWORD exit_code = 0;
  if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.get(), &exit_code)) {
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

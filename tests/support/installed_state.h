#pragma once

// What a worker run may change, read from outside, and a way back to a machine without Borelu.

#include <windows.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "apply/blocking_service.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "process_runner.h"
#include "registration/registration.h"
#include "test_prefix.h"
#include "webview2/runtime_version.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::testing {

inline ProcessOutcome run_worker_process(const std::string& stage, const std::string& tail,
                                         const std::string& owner = OWNER_SID,
                                         std::uint32_t parent_pid = 0) {
  return run_process(L"\"" + program_path("BORELU_SETUP_EXE") + L"\" --worker --stage \"" +
                     win::widen(stage) + L"\" --owner-sid " + win::widen(owner) +
                     L" --parent-pid " + std::to_wstring(parent_pid) + L" " + win::widen(tail));
}

// Ends the service installer double's helper that keeps files of the installation open, if one
// runs, and waits until they can be written again.
inline void release_holder() {
  HANDLE hold = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"Global\\BoreluTestReleaseHold");
  if (hold == nullptr) {
    return;
  }
  SetEvent(hold);
  CloseHandle(hold);
  for (const char* name : {"Borelu.exe", "BoreluUpdater.exe"}) {
    const std::wstring held = win::widen(join_path(*manifest::installation_folder(), name));
    for (int i = 0; i < 100; ++i) {
      const win::FileHandle file(
          CreateFileW(held.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      if (file || GetLastError() != ERROR_SHARING_VIOLATION) {
        break;
      }
      Sleep(100);
    }
  }
}

// "absent", or the state of the blocking service as QueryServiceStatus reports it.
inline std::string service_state() {
  auto service = apply::open_blocking_service();
  if (!service) {
    return service.error().text();
  }
  if (!*service) {
    return "absent";
  }
  SERVICE_STATUS status{};
  if (!QueryServiceStatus((*service)->get(), &status)) {
    return "unknown";
  }
  return status.dwCurrentState == SERVICE_RUNNING
             ? "running"
             : "state " + std::to_string(status.dwCurrentState);
}

// Everything a failed run must leave as it was.
struct InstalledState {
  std::vector<std::string> files;  // digests, in the order of the rollback names
  bool startup = false;
  bool uninstall = false;
  std::string service;

  static InstalledState read() {
    InstalledState state;
    const std::string folder = *manifest::installation_folder();
    for (const char* name :
         {"Borelu.exe", "BoreluService.exe", "BoreluUpdater.exe", "blocking-policy.json",
          "installed-release.json", "setup-options.json"}) {
      state.files.push_back(file_sha256(join_path(folder, name)));
    }
    state.startup = registration::startup_entry_present(OWNER_SID);
    win::RegistryKey key;
    state.uninstall =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Borelu", 0,
                      KEY_READ | KEY_WOW64_64KEY, key.put()) == ERROR_SUCCESS;
    state.service = service_state();
    return state;
  }
  friend bool operator==(const InstalledState&, const InstalledState&) = default;
  friend void PrintTo(const InstalledState& state, std::ostream* out) {
    for (const std::string& digest : state.files) {
      *out << digest.substr(0, 8) << " ";
    }
    *out << "startup " << state.startup << ", uninstall " << state.uninstall << ", service "
         << state.service;
  }
};

// Stops and deletes the service the doubles install, ending its process if it ignores the stop.
inline void remove_blocking_service() {
  auto service = apply::open_blocking_service();
  if (!service || !*service) {
    return;
  }
  const SC_HANDLE handle = (*service)->get();
  SERVICE_STATUS_PROCESS status{};
  DWORD needed = 0;
  if (QueryServiceStatusEx(handle, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                           sizeof status, &needed) &&
      status.dwProcessId != 0) {
    if (const win::Handle process(
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, status.dwProcessId));
        process) {
      TerminateProcess(process.get(), 0);
      WaitForSingleObject(process.get(), 10000);
    }
  }
  DeleteService(handle);
}

inline const std::wstring WEBVIEW2_CLIENT_KEY(webview2::CLIENT_KEY);
inline const std::wstring WEBVIEW2_STATE_KEY(webview2::STATE_KEY);

// Back to a machine without the WebView2 runtime, for everybody.
inline void remove_webview2_runtime(const std::string& owner = OWNER_SID) {
  for (const std::wstring& key : {WEBVIEW2_CLIENT_KEY, WEBVIEW2_STATE_KEY}) {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), KEY_WOW64_32KEY, 0);
    RegDeleteKeyExW(HKEY_USERS, (win::widen(owner) + L"\\" + key).c_str(), 0, 0);
  }
}

// Back to a machine on which Borelu was never installed.
inline void remove_installation() {
  remove_blocking_service();
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(win::widen(*manifest::installation_folder())),
                              ignored);
  std::filesystem::remove_all(
      std::filesystem::path(win::widen(*manifest::maintenance_folder_path())), ignored);
  (void)registration::set_startup_entry(OWNER_SID, false, "");
  (void)registration::remove_uninstall_entry();
}

}  // namespace borelu::testing

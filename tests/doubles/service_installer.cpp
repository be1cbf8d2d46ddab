// Test double of the release's "BoreluService.exe".
//
// Started with "--install --owner-sid SID" it plays the service installer: it stops a running
// "BoreluBlocking" service, copies the release files from its own folder into Program
// Files\Borelu, writes "blocking-policy.json" for the owner with the files' digests, installs (or
// re-points) the Windows service "BoreluBlocking" at the installed copy of itself and starts it.
// Started by the service manager with "--service" it is that service; it stops when asked.
//
// Tests choose other behaviour through BORELU_TEST_INSTALLER:
//   (unset)           the installation above, exit 0
//   slow              waits 4 s, then the installation above (a worker that takes its time)
//   partial-copy      copies only Borelu.exe and reports success
//   silent-failure    exit 1 with nothing on standard error, nothing changed
//   arabic-failure    exit 3 with an Arabic sentence (UTF-8) on standard error, nothing changed
//   noisy-failure     5000 bytes on standard error (with line breaks and tabs), 200 KB on standard
//                     output, exit 7, nothing changed
//   chatty-success    300 KB on standard output and 100 KB on standard error, exit 0
//   wrong-digest      the installation, then the installed updater's last byte changed; exit 0
//   create-then-fail  the installation with the service running, then exit 4 with a message
//   hold-record       the installation, with the service holding "installed-release.json" open
//                     for itself until it stops; exit 0 (the worker cannot write its record)
//   ignore-stop       the installation, with a service that ignores stop requests; exit 6
//   delete-then-fail  the files copied, then the service deleted and exit 8 with a message, the
//                     first time in a worker run (it leaves a mark in its TEMP folder, which the
//                     worker gives each helper of a run); started again in the same run (as
//                     the previous release's installer of the rollback copy), the installation
//   delete-then-fail-always  the same at every start
//   locked-restore    the installation, with a helper process (started by the service) that
//                     keeps Borelu.exe (the same in every test release) open against writers until
//                     the event "Global\BoreluTestReleaseHold" is set (at most 120 s); exit 5
//   locked-updater    the same with BoreluUpdater.exe, the file that differs between the test
//                     releases
//   pause-after-N     the installation up to step N (1 to 3: the executables copied in turn,
//                     4: the policy written, 5: the service started), then a pause: it holds the
//                     mutex "Global\BoreluTestInstallerAlive", sets the event
//                     "Global\BoreluTestInstallerPaused" and waits to be ended (after 120 s it
//                     exits with 9, changing nothing more)
// With BORELU_TEST_REPORT_FOLDER it also reports how it was started (helper_context.h).
// The service's own behaviour travels as its start argument, so a later plain start (as a
// restore does) gives a well-behaved service again.

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "crypto/sha256.h"
#include "helper_context.h"

namespace {

constexpr wchar_t kServiceName[] = L"BoreluBlocking";

void write_all(HANDLE stream, const std::string& bytes) {
  DWORD written = 0;
  for (std::size_t done = 0; done < bytes.size(); done += written) {
    if (!WriteFile(stream, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                   nullptr)) {
      return;
    }
  }
}

std::wstring mode() {
  wchar_t value[64] = {};
  const DWORD length = GetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", value, 64);
  return length > 0 && length < 64 ? std::wstring(value, length) : std::wstring();
}

std::wstring own_path() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, length);
}

std::wstring installation_folder() {
  wchar_t* program_files = nullptr;
  SHGetKnownFolderPath(FOLDERID_ProgramFiles, 0, nullptr, &program_files);
  std::wstring folder = std::wstring(program_files) + L"\\Borelu";
  CoTaskMemFree(program_files);
  return folder;
}

std::string digest_of(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return borelu::crypto::sha256_hex(
      {reinterpret_cast<const unsigned char*>(content.data()), content.size()});
}

int complain(const char* what, int code) {
  std::fprintf(stderr, "%s (error %lu)", what, GetLastError());
  return code;
}

// Started by the service, whose process shares nothing with the worker: a holder started by the
// installer would keep the worker's pipes to the installer open (Wine hands a child its parent's
// Unix descriptors), and the worker reads those to their end.
void start_holder(const std::wstring& path) {
  std::wstring command = L"\"" + own_path() + L"\" --hold-file \"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                     nullptr, &startup, &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
}

// --- the service ------------------------------------------------------------------------------

SERVICE_STATUS_HANDLE g_status = nullptr;
HANDLE g_stop = nullptr;
bool g_ignore_stop = false;

void report(DWORD state) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(g_status, &status);
}

DWORD WINAPI control_handler(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) {
    if (!g_ignore_stop) {
      SetEvent(g_stop);
    }
    return NO_ERROR;
  }
  return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI service_main(DWORD argc, wchar_t** argv) {
  g_status = RegisterServiceCtrlHandlerExW(kServiceName, control_handler, nullptr);
  g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const std::wstring behaviour = argc > 1 ? argv[1] : L"";
  g_ignore_stop = behaviour == L"ignore-stop";
  HANDLE held = INVALID_HANDLE_VALUE;
  if (behaviour == L"hold-record") {
    held = CreateFileW((installation_folder() + L"\\installed-release.json").c_str(),
                       GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  }
  if (behaviour == L"spawn-holder") {
    start_holder(installation_folder() + L"\\Borelu.exe");
  }
  if (behaviour == L"spawn-updater-holder") {
    start_holder(installation_folder() + L"\\BoreluUpdater.exe");
  }
  report(SERVICE_RUNNING);
  WaitForSingleObject(g_stop, INFINITE);
  if (held != INVALID_HANDLE_VALUE) {
    CloseHandle(held);
  }
  report(SERVICE_STOPPED);
}

// --- the installer ----------------------------------------------------------------------------

bool wait_for_state(SC_HANDLE service, DWORD wanted) {
  for (int i = 0; i < 200; ++i) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service, &status)) {
      return false;
    }
    if (status.dwCurrentState == wanted) {
      return true;
    }
    Sleep(50);
  }
  return false;
}

// Installs or re-points the service at `binary` and starts it with `start_argument`.
int install_service(const std::wstring& binary, const std::wstring& start_argument) {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) {
    return complain("cannot open the service manager", 10);
  }
  const std::wstring command = L"\"" + binary + L"\" --service";
  SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_ALL_ACCESS);
  if (service != nullptr) {
    ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                         command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  } else {
    service =
        CreateServiceW(manager, kServiceName, L"Borelu blocking (test double)", SERVICE_ALL_ACCESS,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                       command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  CloseServiceHandle(manager);
  if (service == nullptr) {
    return complain("cannot create the service", 11);
  }
  const wchar_t* arguments[] = {start_argument.c_str()};
  const bool started = StartServiceW(service, start_argument.empty() ? 0 : 1,
                                     start_argument.empty() ? nullptr : arguments) &&
                       wait_for_state(service, SERVICE_RUNNING);
  CloseServiceHandle(service);
  return started ? 0 : complain("cannot start the service", 12);
}

void stop_running_service() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service =
      manager ? OpenServiceW(manager, kServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS) : nullptr;
  if (service != nullptr) {
    SERVICE_STATUS status{};
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    wait_for_state(service, SERVICE_STOPPED);
    CloseServiceHandle(service);
  }
  if (manager != nullptr) {
    CloseServiceHandle(manager);
  }
}

// Whether this start is to delete the service and fail.
bool deletes_and_fails(const std::wstring& behaviour) {
  if (behaviour == L"delete-then-fail-always") {
    return true;
  }
  if (behaviour != L"delete-then-fail") {
    return false;
  }
  const std::wstring mark = borelu::doubles::environment_value(L"TEMP") + L"\\deleted-service";
  const HANDLE file = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;  // marked by an earlier start of this run
  }
  CloseHandle(file);
  return true;
}

void delete_service() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = manager ? OpenServiceW(manager, kServiceName, DELETE) : nullptr;
  if (service != nullptr) {
    DeleteService(service);
    CloseServiceHandle(service);
  }
  if (manager != nullptr) {
    CloseServiceHandle(manager);
  }
}

// Keeps `path` open against writers until the test sets "BoreluTestReleaseHold".
int hold_file(const wchar_t* path) {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, L"Global\\BoreluTestReleaseHold");
  HANDLE file =
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"Global\\BoreluTestHoldReady");
  if (ready != nullptr) {
    SetEvent(ready);
  }
  WaitForSingleObject(release, 120000);
  CloseHandle(file);
  return 0;
}

// An application that has just ended can keep its executable in use for a moment (under Wine,
// after its process handle is signalled), so a file in use is tried again for up to 5 s.
bool copy_release_file(const std::wstring& from, const std::wstring& to) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (CopyFileW(from.c_str(), to.c_str(), FALSE)) {
      return true;
    }
    if (GetLastError() != ERROR_SHARING_VIOLATION) {
      return false;
    }
    Sleep(100);
  }
  return false;
}

// Pauses for good at step `step` of the installation when the behaviour asks for it.
void pause_at(const std::wstring& behaviour, int step) {
  if (behaviour != L"pause-after-" + std::to_wstring(step)) {
    return;
  }
  CreateMutexW(nullptr, TRUE, L"Global\\BoreluTestInstallerAlive");
  SetEvent(CreateEventW(nullptr, TRUE, FALSE, L"Global\\BoreluTestInstallerPaused"));
  Sleep(120000);
  ExitProcess(9);
}

int install(const wchar_t* owner_sid, const std::wstring& behaviour) {
  if (behaviour == L"slow") {
    Sleep(4000);
  }
  std::wstring from = own_path();
  from.resize(from.find_last_of(L'\\'));
  const std::wstring to = installation_folder();
  stop_running_service();
  CreateDirectoryW(to.c_str(), nullptr);
  int step = 0;
  for (const wchar_t* name : {L"Borelu.exe", L"BoreluService.exe", L"BoreluUpdater.exe"}) {
    if (!copy_release_file(from + L"\\" + name, to + L"\\" + name)) {
      return complain("copy failed", 3);
    }
    if (behaviour == L"partial-copy") {
      return 0;
    }
    pause_at(behaviour, ++step);
  }
  if (deletes_and_fails(behaviour)) {
    delete_service();
    std::fputs("The blocking service was removed and could not be installed again.", stderr);
    return 8;
  }
  std::string sid;
  for (const wchar_t* c = owner_sid; *c != 0; ++c)
    sid.push_back(static_cast<char>(*c));
  const std::string policy = "{\"version\":1,\"owner_sid\":\"" + sid + "\",\"client_sha256\":\"" +
                             digest_of(to + L"\\Borelu.exe") + "\",\"service_sha256\":\"" +
                             digest_of(to + L"\\BoreluService.exe") + "\"}";
  std::ofstream(std::filesystem::path(to + L"\\blocking-policy.json"),
                std::ios::binary | std::ios::trunc)
      << policy;
  pause_at(behaviour, 4);

  std::wstring start_argument;
  if (behaviour == L"hold-record" || behaviour == L"ignore-stop") {
    start_argument = behaviour;
  } else if (behaviour == L"locked-restore") {
    start_argument = L"spawn-holder";
  } else if (behaviour == L"locked-updater") {
    start_argument = L"spawn-updater-holder";
  }
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, L"Global\\BoreluTestHoldReady");
  const int code = install_service(to + L"\\BoreluService.exe", start_argument);
  const bool locked = behaviour == L"locked-restore" || behaviour == L"locked-updater";
  if (code == 0 && locked) {
    WaitForSingleObject(ready, 10000);
  }
  CloseHandle(ready);
  if (code != 0) {
    return code;
  }
  pause_at(behaviour, 5);
  if (behaviour == L"wrong-digest") {
    // Same size, other content: only the digest can tell.
    std::fstream updater(std::filesystem::path(to + L"\\BoreluUpdater.exe"),
                         std::ios::binary | std::ios::in | std::ios::out);
    updater.seekg(-1, std::ios::end);
    const char last = static_cast<char>(updater.get());
    updater.seekp(-1, std::ios::end);
    updater.put(last == 'x' ? 'y' : 'x');
  }
  if (behaviour == L"create-then-fail") {
    std::fputs("The blocking service was created but could not be configured.", stderr);
    return 4;
  }
  if (behaviour == L"ignore-stop") {
    std::fputs("The blocking service did not accept its configuration.", stderr);
    return 6;
  }
  if (locked) {
    std::fputs("Installation interrupted.", stderr);
    return 5;
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring_view(argv[1]) == L"--service") {
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(kServiceName), service_main},
                                    {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 1;
  }
  if (argc == 3 && std::wstring_view(argv[1]) == L"--hold-file") {
    return hold_file(argv[2]);
  }
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  const std::wstring behaviour = mode();
  if (behaviour == L"silent-failure") {
    return 1;
  }
  if (behaviour == L"arabic-failure") {
    write_all(err, "تعذّر تشغيل الخدمة 'BoreluBlocking'.");
    return 3;
  }
  if (behaviour == L"noisy-failure") {
    std::string noise;
    while (noise.size() < 5000)
      noise += "install step failed:\r\n\tcode 42; ";
    noise.resize(5000);
    write_all(out, std::string(200 * 1024, 'o'));
    write_all(err, noise);
    return 7;
  }
  if (behaviour == L"chatty-success") {
    write_all(out, std::string(300 * 1024, 'o'));
    write_all(err, std::string(100 * 1024, 'e'));
    return 0;
  }
  if (argc == 4 && std::wstring_view(argv[1]) == L"--install" &&
      std::wstring_view(argv[2]) == L"--owner-sid") {
    borelu::doubles::report_helper_context();
    return install(argv[3], behaviour);
  }
  std::printf("BoreluService test double, %d argument(s)\n", argc - 1);
  for (int i = 1; i < argc; ++i) {
    std::wprintf(L"  %ls\n", argv[i]);
  }
  return 0;
}

// BoreluSetup.exe in worker mode against stages of the signed test release, judged from outside.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "controller/failure_record.h"
#include "installed_state.h"
#include "staged_release.h"
#include "win/files.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

// A run whose message must be on standard error and in the failure record.
void expect_reported(const ProcessOutcome& run, std::uint64_t started, const std::string& message) {
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.standardError, message + "\n");
  EXPECT_EQ(controller::read_failure_record(run.processId, started).value_or("<no record>"),
            message);
}

// The rollback folders the maintenance folder holds, whatever their work folder.
std::vector<std::string> rollback_folders() {
  std::vector<std::string> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(
           win::widen(*manifest::maintenance_folder_path()), error)) {
    if (std::filesystem::exists(entry.path() / "rollback")) {
      found.push_back(win::narrow((entry.path() / "rollback").wstring()));
    }
  }
  return found;
}

// Whether some kept rollback folder holds exactly the files of `state`'s installation.
bool rollback_holds(const InstalledState& state) {
  for (const std::string& folder : rollback_folders()) {
    if (file_sha256(join_path(folder, "Borelu.exe")) == state.files[0] &&
        file_sha256(join_path(folder, "BoreluUpdater.exe")) == state.files[2] &&
        file_sha256(join_path(folder, "installed-release.json")) == state.files[4]) {
      return true;
    }
  }
  return false;
}

std::string noisy_details() {
  std::string noise;
  while (noise.size() < 600) {
    noise += "install step failed:   code 42; ";
  }
  noise.resize(600);
  while (noise.ends_with(' ')) {
    noise.pop_back();
  }
  return noise;
}

class WorkerScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    remove_installation();
    stage_ = make_stage(temp_folder("borelu-worker-stage"));
  }
  void TearDown() override {
    for (const wchar_t* name :
         {L"BORELU_TEST_INSTALLER", L"BORELU_TEST_REPORT_FOLDER", L"BORELU_TEST_INHERITED"}) {
      SetEnvironmentVariableW(name, nullptr);
    }
    remove_folder(stage_);
  }
  std::string stage_;
};

TEST_F(WorkerScenario, FirstInstallationThenAFailedRepairChangesNothing) {
  const InstalledState nothing = InstalledState::read();
  EXPECT_EQ(nothing.files[0], "<absent>");

  // A service installer that fails on a first installation leaves nothing behind.
  SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", L"partial-copy");
  const auto partial = run_worker_process(stage_, "--setup --options en:101:2026-10-19");
  EXPECT_EQ(partial.exitCode, 1u);
  // The commit finds the service file missing: its open error is the message.
  EXPECT_TRUE(partial.standardError.ends_with("(os error 2)\n")) << partial.standardError;
  EXPECT_EQ(InstalledState::read(), nothing);
  SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", nullptr);

  const auto installed = run_worker_process(stage_, "--setup --options en:101:2026-10-19");
  ASSERT_EQ(installed.exitCode, 0u) << installed.standardError;
  EXPECT_EQ(installed.standardError, "");
  const std::string folder = *manifest::installation_folder();
  for (const char* name : RELEASE_NAMES) {
    EXPECT_EQ(read_text(join_path(folder, name)), read_text(join_path(stage_, name))) << name;
  }
  EXPECT_EQ(read_text(join_path(folder, "installed-release.json")),
            read_text(join_path(stage_, "release.json")));
  EXPECT_EQ(
      read_text(join_path(folder, "setup-options.json")),
      R"({"language":"en","startup":true,"desktop":false,"startMenu":true,"acceptedPolicy":"2026-10-19"})");
  const InstalledState first = InstalledState::read();
  EXPECT_TRUE(first.startup);
  EXPECT_TRUE(first.uninstall);
  EXPECT_EQ(first.service, "running");
  // The work folder is tidied down to its rollback folder, which stays.
  const auto kept = rollback_folders();
  ASSERT_EQ(kept.size(), 1u);
  std::vector<std::string> work_content;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(win::widen(kept[0])).parent_path())) {
    work_content.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(work_content, std::vector<std::string>{"rollback"});

  // A repair whose installer fails with a message restores exactly the first installation.
  SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", L"silent-failure");
  const auto failed = run_worker_process(stage_, "--setup --options ar:000:2026-10-19");
  EXPECT_EQ(failed.exitCode, 1u);
  EXPECT_EQ(failed.standardError,
            "Borelu service installation failed (exit 1). No additional Windows error was "
            "reported. The previous "
            "version will be restored.\n");
  EXPECT_EQ(InstalledState::read(), first);

  // A repair with the same release succeeds.
  SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", nullptr);
  const auto repaired = run_worker_process(stage_, "--setup --options en:101:2026-10-19");
  EXPECT_EQ(repaired.exitCode, 0u) << repaired.standardError;
}

struct Fault {
  const wchar_t* installer;
  std::string message;
  bool restored;  // false: the restore could not put the new updater back, and said so
};

// Faults of an update from an installed 1.4.2 to 1.4.3: everything restored exactly, or
// everything the restore could restore (the service running again, the registrations back) and
// the reason it could not do the rest, with the rollback copy kept.
TEST_F(WorkerScenario, FaultsDuringTheApplyRestoreThePreviousInstallation) {
  const std::string failed = "Borelu service installation failed (exit ";
  const std::string in_use = win::system_error_text(ERROR_SHARING_VIOLATION);
  const std::string restored = " The previous version will be restored.";
  const std::string again = ". Run BoreluSetup again.";
  const Fault faults[] = {
      {L"silent-failure", failed + "1). No additional Windows error was reported." + restored,
       true},
      {L"noisy-failure", failed + "7). " + noisy_details() + restored, true},
      {L"wrong-digest", "BoreluUpdater.exe failed SHA-256/size verification.", true},
      {L"hold-record", in_use, true},
      {L"create-then-fail",
       failed + "4). The blocking service was created but could not be configured." + restored,
       true},
      // Put back, running, by the previous release's own installer from the rollback copy.
      {L"delete-then-fail",
       failed + "8). The blocking service was removed and could not be installed again." + restored,
       true},
      // Borelu.exe is held, but the rollback copy's is the same: nothing to replace.
      {L"locked-restore", failed + "5). Installation interrupted." + restored, true},
      {L"locked-updater",
       failed + "5). Installation interrupted." + restored + " Recovery failed: " + in_use + again,
       false},
      // The service keeps running, so its files cannot change; all the others are put back.
      {L"ignore-stop",
       failed + "6). The blocking service did not accept its configuration." + restored +
           " Recovery failed: Borelu service did not stop. No update was applied" + again,
       true},
  };
  const std::string next = make_stage(temp_folder("borelu-worker-next"), "1.4.3");
  for (const Fault& fault : faults) {
    SCOPED_TRACE(win::narrow(fault.installer));
    remove_installation();
    SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", nullptr);
    ASSERT_EQ(run_worker_process(stage_, "--setup --options en:101:2026-10-19").exitCode, 0u);
    const InstalledState before = InstalledState::read();
    ASSERT_EQ(before.service, "running");

    SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", fault.installer);
    const std::uint64_t started = controller::current_unix_millis();
    const auto run = run_worker_process(next, "--update");
    expect_reported(run, started, fault.message);
    InstalledState after = InstalledState::read();
    if (!fault.restored) {
      // The one file the restore could not replace is the new updater; nothing else differs.
      EXPECT_EQ(after.files[2], file_sha256(join_path(next, "BoreluUpdater.exe")));
      after.files[2] = before.files[2];
    }
    EXPECT_EQ(after, before);
    if (fault.message.find("Recovery failed") != std::string::npos) {
      EXPECT_TRUE(rollback_holds(before));
    }
    release_holder();
  }
  SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", nullptr);
  remove_installation();
  remove_folder(next);
}

// When the previous release's installer cannot put the deleted service back either, the run says
// so and keeps its rollback copy; the next run's recovery puts the service back before anything.
TEST_F(WorkerScenario, AServiceThatCannotBePutBackIsPutBackByTheNextRun) {
  ASSERT_EQ(run_worker_process(stage_, "--setup --options en:101:2026-10-19").exitCode, 0u);
  const InstalledState before = InstalledState::read();
  ASSERT_EQ(before.service, "running");
  const std::string next = make_stage(temp_folder("borelu-worker-deleted"), "1.4.3");

  SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", L"delete-then-fail-always");
  const std::string removed = "The blocking service was removed and could not be installed again";
  const std::uint64_t started = controller::current_unix_millis();
  expect_reported(run_worker_process(next, "--update"), started,
                  "Borelu service installation failed (exit 8). " + removed +
                      ". The previous version will be restored. Recovery failed: The previous "
                      "Borelu service could not be installed again (exit 8). " +
                      removed + ". Run BoreluSetup again.");
  EXPECT_EQ(InstalledState::read().service, "absent");
  EXPECT_TRUE(rollback_holds(before));

  // A run that the version rule stops still recovers first.
  SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", nullptr);
  const std::string older = make_stage(temp_folder("borelu-worker-older"), "1.4.1");
  EXPECT_EQ(run_worker_process(older, "--setup --options en:101:2026-10-19").standardError,
            "An older release cannot replace the installed version.\n");
  EXPECT_EQ(InstalledState::read(), before);
  remove_folder(older);
  remove_folder(next);
}

TEST_F(WorkerScenario, AFirstInstallationWhoseInstallerCreatedTheServiceLeavesNothing) {
  const InstalledState nothing = InstalledState::read();
  ASSERT_EQ(nothing.service, "absent");
  SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", L"create-then-fail");
  const std::uint64_t started = controller::current_unix_millis();
  const auto run = run_worker_process(stage_, "--setup --options en:101:2026-10-19");
  expect_reported(run, started,
                  "Borelu service installation failed (exit 4). The blocking service was created "
                  "but could not be configured. The previous version will be restored.");
  EXPECT_EQ(InstalledState::read(), nothing);
  // The work folder is gone entirely: nothing was there to keep.
  EXPECT_EQ(rollback_folders(), std::vector<std::string>{});
}

TEST_F(WorkerScenario, StageFaultsAndPreconditionsChangeNothingInstalled) {
  ASSERT_EQ(run_worker_process(stage_, "--setup --options en:101:2026-10-19").exitCode, 0u);
  const InstalledState before = InstalledState::read();
  const auto bad_owner =
      run_process(L"\"" + program_path("BORELU_SETUP_EXE") + L"\" --worker --stage \"" +
                  win::widen(stage_) + L"\" --owner-sid S-1-5-18 --parent-pid 0 --setup");
  EXPECT_EQ(bad_owner.standardError, "Windows installation permission is required.\n");

  const std::string service = join_path(stage_, "BoreluService.exe");
  const std::string original = read_text(service);
  ASSERT_TRUE(win::write_whole_file(service, original + "x"));
  EXPECT_EQ(run_worker_process(stage_, "--setup").standardError,
            "Downloaded file exceeds its signed size.\n");
  ASSERT_TRUE(win::write_whole_file(service, original.substr(1)));
  EXPECT_EQ(run_worker_process(stage_, "--setup").standardError,
            "BoreluService.exe failed SHA-256/size verification.\n");
  ASSERT_TRUE(win::write_whole_file(service, original));
  ASSERT_TRUE(CreateHardLinkW(win::widen(join_path(stage_, "second-name.exe")).c_str(),
                              win::widen(service).c_str(), nullptr));
  EXPECT_EQ(run_worker_process(stage_, "--setup").standardError,
            "Linked/non-regular update files are not allowed.\n");
  DeleteFileW(win::widen(join_path(stage_, "second-name.exe")).c_str());

  const std::string real = make_stage("C:\\borelu-links\\real\\stage");
  EXPECT_EQ(run_worker_process("C:\\borelu-links\\dirlink\\stage", "--setup").standardError,
            "Linked installation/update paths are not permitted.\n");
  remove_folder(real);

  // The same good stage through a device path, and a share: refused before anything is read.
  for (const std::string& elsewhere :
       {"\\\\?\\" + stage_, "\\\\.\\" + stage_, std::string("\\\\127.0.0.1\\share\\stage")}) {
    EXPECT_EQ(run_worker_process(elsewhere, "--setup").standardError,
              "The update must be staged in a folder on this computer.\n")
        << elsewhere;
  }

  ASSERT_TRUE(win::write_whole_file(join_path(stage_, "release.json"), std::string(40000, ' ')));
  EXPECT_EQ(run_worker_process(stage_, "--setup").standardError,
            "Release metadata is too large.\n");
  EXPECT_EQ(InstalledState::read(), before);
}

// The worker as a caller may start it: with every inheritable handle of the caller and no
// standard handles. Returns its exit code.
DWORD run_worker_inheriting_everything(const std::string& stage) {
  std::wstring command = L"\"" + program_path("BORELU_SETUP_EXE") + L"\" --worker --stage \"" +
                         win::widen(stage) + L"\" --owner-sid " + win::widen(OWNER_SID) +
                         L" --parent-pid 0 --setup --options en:101:2026-10-19";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info)) {
    return 0xffffffff;
  }
  const win::Handle process(info.hProcess);
  const win::Handle thread(info.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.get(), &exit_code);
  return exit_code;
}

// A helper's report (tests/doubles/helper_context.h), one entry a line.
std::map<std::string, std::string> helper_report(const std::string& file) {
  std::map<std::string, std::string> report;
  std::istringstream lines(read_text(file));
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    report[line.substr(0, equals)] = equals == std::string::npos ? "" : line.substr(equals + 1);
  }
  return report;
}

std::string system_folder(UINT (*query)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH];
  return win::narrow(std::wstring_view(buffer, query(buffer, MAX_PATH)));
}

// The service installer and the WebView2 bootstrapper run elevated: nothing of the caller's
// world reaches them, neither its current folder, nor its TEMP, PATH or handles.
TEST_F(WorkerScenario, HelpersStartInTheWorkFolderWithNothingOfTheCaller) {
  remove_webview2_runtime();  // so that the bootstrapper runs as well
  const std::string reports = temp_folder("borelu-helper-reports");
  ASSERT_TRUE(win::create_directories(reports));
  const std::string marker = join_path(reports, "inherited.txt");
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  win::FileHandle held(CreateFileW(win::widen(marker).c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_DELETE, &inheritable, CREATE_ALWAYS,
                                   0, nullptr));
  ASSERT_TRUE(held);
  SetEnvironmentVariableW(L"BORELU_TEST_REPORT_FOLDER", win::widen(reports).c_str());
  SetEnvironmentVariableW(L"BORELU_TEST_INHERITED",
                          std::to_wstring(reinterpret_cast<std::uintptr_t>(held.get())).c_str());
  ASSERT_EQ(run_worker_inheriting_everything(stage_), 0u);

  const std::string windows = system_folder(GetSystemWindowsDirectoryW);
  const std::string system = system_folder(GetSystemDirectoryW);
  for (const char* helper : {"BoreluService.exe", "MicrosoftEdgeWebview2Setup.exe"}) {
    SCOPED_TRACE(helper);
    auto report = helper_report(join_path(reports, std::string(helper) + ".txt"));
    const std::string folder = report["folder"];
    EXPECT_EQ(parent_path(folder).value_or(""), *manifest::maintenance_folder_path());
    EXPECT_TRUE(file_name(folder).starts_with("work-")) << folder;
    EXPECT_EQ(report["TEMP"], join_path(folder, "temp"));
    EXPECT_EQ(report["TMP"], join_path(folder, "temp"));
    EXPECT_EQ(report["PATH"], system + ";" + windows + ";" + system + "\\Wbem");
    EXPECT_EQ(report["inherited"], "none");
    DeleteFileW(win::widen(join_path(reports, std::string(helper) + ".txt")).c_str());
  }
  // Tidied with the work folder: nothing of the helpers' temporary folder is left.
  const auto kept = rollback_folders();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_FALSE(
      std::filesystem::exists(std::filesystem::path(win::widen(kept[0])).parent_path() / "temp"));
  CloseHandle(held.release());
  DeleteFileW(win::widen(marker).c_str());
  RemoveDirectoryW(win::widen(reports).c_str());
}

// The failure record is written before the install lock goes, so the next worker (which may
// write its own) never races with it: a worker that takes the lock next already finds it.
TEST_F(WorkerScenario, TheFailureRecordIsWrittenUnderTheInstallLock) {
  const std::string record =
      join_path(*manifest::maintenance_folder_path(), "last-install-error.json");
  DeleteFileW(win::widen(record).c_str());
  SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", L"silent-failure");
  constexpr const wchar_t* kLock = L"Global\\Borelu.Update.InstallLock";
  std::string seen = "<lock never seen>";
  std::thread next_worker([&] {
    // Once the worker holds the lock, try to take it as the next worker would, until it can.
    for (int i = 0; i < 60000 && !win::Handle(OpenMutexW(SYNCHRONIZE, FALSE, kLock)); ++i) {
      Sleep(1);
    }
    for (int i = 0; i < 600000; ++i) {
      const win::Handle lock(CreateMutexW(nullptr, FALSE, kLock));
      if (lock && GetLastError() != ERROR_ALREADY_EXISTS) {
        seen = read_text(record);
        return;
      }
    }
    seen = "<lock kept>";
  });
  const auto run = run_worker_process(stage_, "--setup --options en:101:2026-10-19");
  next_worker.join();
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(seen.find("No additional Windows error was reported."), std::string::npos) << seen;
}

// Two workers started at once: one takes the install lock, the other gives up at once.
TEST_F(WorkerScenario, OfTwoWorkersStartedTogetherExactlyOneProceeds) {
  ProcessOutcome first;
  ProcessOutcome second;
  std::thread other(
      [&] { second = run_worker_process(stage_, "--setup --options en:101:2026-10-19"); });
  first = run_worker_process(stage_, "--setup --options en:101:2026-10-19");
  other.join();
  std::vector<std::string> errors{first.standardError, second.standardError};
  std::ranges::sort(errors);
  EXPECT_EQ(errors,
            (std::vector<std::string>{"", "Another Borelu installation is already running.\n"}));
  EXPECT_EQ(first.exitCode + second.exitCode, 1u);
}

}  // namespace
}  // namespace borelu::testing

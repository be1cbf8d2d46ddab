// BoreluSetup.exe in worker mode across releases: version rules, ownership, what an update leaves
// alone, and the maintenance folder after successful applies.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "installed_state.h"
#include "manifest/records.h"
#include "staged_release.h"
#include "win/system_error.h"

namespace borelu::testing {
namespace {

namespace fs = std::filesystem;

class UpdateScenario : public ::testing::Test {
 protected:
  void SetUp() override { remove_installation(); }
  StageSet stage{"borelu-stage-"};
  ProcessOutcome setup(const std::string& version, const std::string& owner = OWNER_SID) {
    return run_worker_process(stage(version), "--setup --options en:101:2026-10-19", owner);
  }
  ProcessOutcome update(const std::string& version, const std::string& owner = OWNER_SID,
                        std::uint32_t parent_pid = 0) {
    return run_worker_process(stage(version), "--update", owner, parent_pid);
  }
};

std::string installed(const char* name) {
  return read_text(join_path(*manifest::installation_folder(), name));
}

fs::path maintenance() {
  return fs::path(win::widen(*manifest::maintenance_folder_path()));
}

std::vector<std::string> entries(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::ranges::sort(names);
  return names;
}

std::string runner_name(const std::string& stage) {
  return file_sha256(join_path(stage, "BoreluUpdater.exe"));
}

void plant(const fs::path& file) {
  fs::create_directories(file.parent_path());
  ASSERT_TRUE(win::write_whole_file(win::narrow(file.wstring()), "planted"));
}

TEST_F(UpdateScenario, VersionRulesAndWhatAnUpdateLeavesAlone) {
  const InstalledState nothing = InstalledState::read();
  EXPECT_EQ(update("1.4.2").standardError, "Run BoreluSetup once to enable automatic updates.\n");
  EXPECT_EQ(InstalledState::read(), nothing);

  ASSERT_EQ(setup("1.4.2").standardError, "");
  const InstalledState first = InstalledState::read();
  EXPECT_EQ(update("1.4.2").standardError,
            "This update is not newer than the installed release.\n");
  EXPECT_EQ(setup("1.4.1").standardError,
            "An older release cannot replace the installed version.\n");
  EXPECT_EQ(InstalledState::read(), first);
  const auto repair = setup("1.4.2");
  EXPECT_EQ(repair.exitCode, 0u) << repair.standardError;

  // An update replaces the release but keeps the owner's choices, even ones a setup would change.
  ASSERT_TRUE(registration::set_startup_entry(OWNER_SID, false, ""));
  const std::string options = installed("setup-options.json");
  const auto updated = update("1.4.3");
  ASSERT_EQ(updated.exitCode, 0u) << updated.standardError;
  EXPECT_EQ(installed("installed-release.json"),
            read_text(join_path(stage("1.4.3"), "release.json")));
  EXPECT_EQ(installed("BoreluUpdater.exe"),
            read_text(join_path(stage("1.4.3"), "BoreluUpdater.exe")));
  EXPECT_EQ(installed("setup-options.json"), options);
  EXPECT_FALSE(registration::startup_entry_present(OWNER_SID));

  // Versions compare as numbers, not as text.
  EXPECT_EQ(update("1.9.9").standardError, "");
  EXPECT_EQ(update("1.10.0").standardError, "");
  EXPECT_EQ(installed("installed-release.json"),
            read_text(join_path(stage("1.10.0"), "release.json")));
}

TEST_F(UpdateScenario, AnInstallationBelongsToItsOwner) {
  ASSERT_EQ(setup("1.4.2").standardError, "");
  const InstalledState before = InstalledState::read();
  const std::string other = "S-1-5-21-0-0-0-1001";
  EXPECT_EQ(setup("1.4.2", other).standardError,
            "This Borelu installation belongs to a different Windows user.\n");
  EXPECT_EQ(update("1.4.3", other).standardError,
            "This Borelu installation belongs to a different Windows user.\n");
  EXPECT_EQ(InstalledState::read(), before);

  // Without a readable policy there is no owner to protect.
  DeleteFileW(
      win::widen(join_path(*manifest::installation_folder(), "blocking-policy.json")).c_str());
  const auto taken = setup("1.4.2", other);
  EXPECT_EQ(taken.exitCode, 0u) << taken.standardError;
  (void)registration::set_startup_entry(other, false, "");
}

// The work folders that have begun a rollback copy, which anybody may see.
std::vector<fs::path> rollback_copies() {
  std::vector<fs::path> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(maintenance(), error)) {
    if (fs::exists(entry.path() / "rollback", error)) {
      found.push_back(entry.path());
    }
  }
  return found;
}

// Runs `run` while holding `file` open without sharing, as any user may, and letting it go the
// moment the worker's rollback copy begins (so that the copy, which needs the file, succeeds).
ProcessOutcome run_holding(const std::string& file, const std::function<ProcessOutcome()>& run) {
  win::FileHandle held(
      CreateFileW(win::widen(file).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(held);
  std::atomic<bool> done = false;
  const auto earlier = rollback_copies();
  std::thread holder([&] {
    while (!done && rollback_copies() == earlier) {
      std::this_thread::yield();
    }
    held.reset();
  });
  ProcessOutcome outcome = run();
  done = true;
  holder.join();
  return outcome;
}

// A standard user can read both records and hold one open without sharing while the worker
// checks it. A record that cannot be read is not a missing one: the run stops instead of
// skipping the check it carries.
TEST_F(UpdateScenario, ARecordHeldOpenStopsTheRunInsteadOfSkippingItsCheck) {
  const std::string in_use = win::system_error_text(ERROR_SHARING_VIOLATION);
  struct Held {
    const char* file;
    std::function<ProcessOutcome()> run;
    std::string message;
  };
  const Held cases[] = {
      // Otherwise: no owner check, and the installation handed to another user.
      {"blocking-policy.json", [&] { return setup("1.4.2", "S-1-5-21-0-0-0-1001"); },
       "Read blocking policy: " + in_use},
      // Otherwise: no version check, and an older signed release installed.
      {"installed-release.json", [&] { return setup("1.4.1"); },
       "Read installed release: " + in_use},
  };
  for (const Held& held : cases) {
    SCOPED_TRACE(held.file);
    remove_installation();
    ASSERT_EQ(setup("1.4.2").standardError, "");
    const InstalledState before = InstalledState::read();
    const auto run = run_holding(join_path(*manifest::installation_folder(), held.file), held.run);
    EXPECT_EQ(run.standardError, held.message + "\n");
    EXPECT_EQ(InstalledState::read(), before);
  }
}

// A runner whose content went wrong is replaced, not kept to fail every later run.
TEST_F(UpdateScenario, ADamagedRunnerIsReplaced) {
  ASSERT_EQ(setup("1.4.2").standardError, "");
  const std::string runner = win::narrow(
      (maintenance() / "runners" / runner_name(stage("1.4.2")) / "BoreluUpdater.exe").wstring());
  ASSERT_TRUE(win::write_whole_file(runner, "damaged"));
  const auto repaired = setup("1.4.2");
  EXPECT_EQ(repaired.exitCode, 0u) << repaired.standardError;
  EXPECT_EQ(file_sha256(runner), runner_name(stage("1.4.2")));
}

TEST_F(UpdateScenario, CleanUpKeepsTheCurrentWorkFolderAndRunnerOnly) {
  ASSERT_EQ(setup("1.4.2").standardError, "");
  const fs::path runners = maintenance() / "runners";
  const std::string old_runner = runner_name(stage("1.4.2"));
  EXPECT_EQ(entries(runners), std::vector<std::string>{old_runner});
  EXPECT_EQ(entries(runners / old_runner), std::vector<std::string>{"BoreluUpdater.exe"});

  // Names one digit short are not ours to remove; names of our form in either case are.
  const std::string hex31(31, 'a');
  const std::string upper_work = "work-" + std::string(32, 'C');
  const std::string upper_runner(64, 'D');
  plant(maintenance() / ("work-" + hex31) / "Borelu.exe");
  plant(runners / std::string(63, 'b') / "BoreluUpdater.exe");
  plant(maintenance() / upper_work / "rollback" / "Borelu.exe");
  plant(runners / upper_runner / "BoreluUpdater.exe");
  plant(maintenance() / "notes" / "Borelu.exe");

  const auto updated = update("1.4.3");
  ASSERT_EQ(updated.exitCode, 0u) << updated.standardError;
  const std::string new_runner = runner_name(stage("1.4.3"));
  ASSERT_NE(new_runner, old_runner);
  std::vector<std::string> expected_runners{std::string(63, 'b'), new_runner};
  std::ranges::sort(expected_runners);
  EXPECT_EQ(entries(runners), expected_runners);
  EXPECT_EQ(read_text(win::narrow((runners / new_runner / "BoreluUpdater.exe").wstring())),
            read_text(join_path(stage("1.4.3"), "BoreluUpdater.exe")));

  std::vector<std::string> work_folders;
  for (const std::string& name : entries(maintenance())) {
    if (name.starts_with("work-") && name.size() == 37) {
      work_folders.push_back(name);
    }
  }
  ASSERT_EQ(work_folders.size(), 1u);
  const fs::path current = maintenance() / work_folders[0];
  EXPECT_EQ(entries(current), std::vector<std::string>{"rollback"});
  EXPECT_EQ(read_text(win::narrow((maintenance() / "last-update.json").wstring())),
            manifest::last_update_json(win::narrow((current / "rollback").wstring()), "1.4.3"));
  EXPECT_TRUE(fs::exists(maintenance() / ("work-" + hex31) / "Borelu.exe"));
  EXPECT_TRUE(fs::exists(maintenance() / "notes" / "Borelu.exe"));
}

// An application process started from `executable` that exits by itself after `milliseconds`.
ChildProcess running_application(const std::string& executable, int milliseconds) {
  return ChildProcess(
      L"\"" + win::widen(executable) + L"\" --run-for " + std::to_wstring(milliseconds),
      ChildProcess::Start::running);
}

TEST_F(UpdateScenario, TheCallingApplicationIsWaitedForOnlyWhenItIsTheInstalledOne) {
  ASSERT_EQ(setup("1.4.2").standardError, "");
  const InstalledState before = InstalledState::read();

  // Another copy of Borelu.exe, still running: not waited for, and the update stops.
  const std::string copy = temp_folder("Borelu.exe");
  ASSERT_TRUE(CopyFileW(program_path("BORELU_APPLICATION_DOUBLE").c_str(), win::widen(copy).c_str(),
                        FALSE));
  {
    const ChildProcess stranger = running_application(copy, 60000);
    EXPECT_EQ(update("1.4.3", OWNER_SID, stranger.pid()).standardError,
              "Untrusted blocking pipe peer.\n");
    EXPECT_FALSE(stranger.ended());
  }
  EXPECT_EQ(InstalledState::read(), before);
  DeleteFileW(win::widen(copy).c_str());

  // The installed application, closing a few seconds later: waited for, then replaced.
  const ChildProcess installed =
      running_application(join_path(*manifest::installation_folder(), "Borelu.exe"), 3000);
  const auto updated = update("1.4.3", OWNER_SID, installed.pid());
  EXPECT_EQ(updated.exitCode, 0u) << updated.standardError;
  EXPECT_TRUE(installed.ended());

  // An application that has already ended is no obstacle.
  EXPECT_EQ(update("1.9.9", OWNER_SID, installed.pid()).standardError, "");
}

}  // namespace
}  // namespace borelu::testing

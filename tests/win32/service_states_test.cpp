// The restore and the recovery at the start of a run, against service states that a service of
// the test's own cannot be made to show on demand: starting or stopping (stop requests refused
// with 1061), and marked for deletion while another handle keeps it (1072 until it is gone).

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "apply/apply_journal.h"
#include "apply/apply_run.h"
#include "apply/blocking_service.h"
#include "apply/rollback.h"
#include "apply/service_control.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "outcome.h"
#include "staged_release.h"
#include "test_prefix.h"
#include "win/files.h"
#include "win/text.h"

namespace borelu::apply {
namespace {

using namespace std::chrono_literals;
using testing::outcome;

// The blocking service as Windows would answer for it. Each status query moves it to the next of
// the states lined up for it (the last one stays); a stop request is refused with 1061 while it
// is starting or stopping and, once accepted, lines up `stopping`. Marked for deletion, it is
// still found by `opensUntilGone` more opens (-1: never gone). Time moves only by the pauses.
class PlayedService final : public ServiceControl {
 public:
  struct Script {
    DWORD state = SERVICE_RUNNING;
    std::vector<DWORD> coming;
    bool marked = false;
    int opensUntilGone = -1;
  };

  explicit PlayedService(Script script) : script_(std::move(script)) {}

  Result<std::unique_ptr<ControlledService>> open() override {
    note_files();
    if (gone_) {
      return std::unique_ptr<ControlledService>();
    }
    if (script_.marked && script_.opensUntilGone >= 0 && script_.opensUntilGone-- == 0) {
      gone_ = true;
      return std::unique_ptr<ControlledService>();
    }
    return std::make_unique<Opened>(*this);
  }
  std::chrono::steady_clock::time_point now() override {
    return std::chrono::steady_clock::time_point(elapsed);
  }
  void pause(std::chrono::milliseconds length) override { elapsed += length; }
  // The previous release's installer: installs and starts the service, or fails as told.
  Status reinstall(const PreviousInstaller& installer) override {
    reinstalls.push_back(std::string(installer.folder) + " | " + std::string(installer.workFolder) +
                         " | " + std::string(installer.ownerSid));
    if (reinstallFailure) {
      return fail(*reinstallFailure);
    }
    gone_ = false;
    script_ = {SERVICE_RUNNING, {}, false, -1};
    next_ = 0;
    return {};
  }

  // Set by the test: whether the installation's files have been put back yet.
  std::function<bool()> filesRestored = [] { return false; };
  std::chrono::milliseconds elapsed{0};
  bool replacedWhileRunning = false;
  std::optional<std::string> reinstallFailure;
  std::vector<std::string> reinstalls;  // "folder | work folder | owner" of each installer run

  [[nodiscard]] DWORD state() const { return script_.state; }
  [[nodiscard]] bool gone() const { return gone_; }

 private:
  class Opened final : public ControlledService {
   public:
    explicit Opened(PlayedService& played) : played_(played) {}
    std::uint32_t request_stop() override { return played_.request_stop(); }
    std::uint32_t query(ServiceStatus& status) override { return played_.query(status); }
    std::uint32_t start() override { return played_.start(); }
    std::uint32_t mark_for_deletion() override { return played_.mark(); }

   private:
    PlayedService& played_;
  };

  static bool pending(DWORD state) {
    return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
  }
  void note_files() {
    if (script_.state != SERVICE_STOPPED && filesRestored()) {
      replacedWhileRunning = true;
    }
  }
  std::uint32_t request_stop() {
    note_files();
    if (pending(script_.state)) {
      return ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
    }
    if (script_.state == SERVICE_STOPPED) {
      return ERROR_SERVICE_NOT_ACTIVE;
    }
    script_.state = SERVICE_STOP_PENDING;
    script_.coming = {SERVICE_STOP_PENDING, SERVICE_STOPPED};
    next_ = 0;
    return ERROR_SUCCESS;
  }
  std::uint32_t query(ServiceStatus& status) {
    if (next_ < script_.coming.size()) {
      script_.state = script_.coming[next_++];
    }
    status = {script_.state, false};
    return ERROR_SUCCESS;
  }
  std::uint32_t start() {
    note_files();
    if (script_.marked) {
      return ERROR_SERVICE_MARKED_FOR_DELETE;
    }
    if (script_.state != SERVICE_STOPPED) {
      return ERROR_SERVICE_ALREADY_RUNNING;
    }
    script_.state = SERVICE_RUNNING;
    return ERROR_SUCCESS;
  }
  std::uint32_t mark() {
    if (script_.marked) {
      return ERROR_SERVICE_MARKED_FOR_DELETE;
    }
    script_.marked = true;
    return ERROR_SUCCESS;
  }

  Script script_;
  std::size_t next_ = 0;
  bool gone_ = false;
};

constexpr std::string_view kApplyFailure = "Borelu service installation failed (exit 3).";
constexpr std::string_view kReinstallFailure =
    "The previous Borelu service could not be installed again (exit 8). Disk full.";

// An installation whose service executable the failed apply replaced, and the work folder whose
// rollback copy holds the one before.
class ServiceStates : public ::testing::Test {
 protected:
  void SetUp() override { prepare(); }
  void prepare() {
    installation_ = testing::temp_folder("borelu-states-installation");
    work_ = testing::temp_folder("borelu-states-work");
    ASSERT_TRUE(win::create_directories(join_path(work_, "rollback")));
    ASSERT_TRUE(win::create_directories(installation_));
    ASSERT_TRUE(win::write_whole_file(installed(), "new service"));
    ASSERT_TRUE(win::write_whole_file(join_path(work_, "rollback\\BoreluService.exe"), "old"));
  }
  void TearDown() override {
    testing::remove_folder(join_path(work_, "rollback"));
    DeleteFileW(win::widen(join_path(work_, std::string(APPLY_JOURNAL_FILE))).c_str());
    testing::remove_folder(work_);
    testing::remove_folder(installation_);
  }
  [[nodiscard]] std::string installed() const {
    return join_path(installation_, "BoreluService.exe");
  }

  // restore_installation after a failed apply, as the worker calls it.
  [[nodiscard]] std::string previous_installer() const {
    return join_path(work_, "rollback") + " | " + work_ + " | " + testing::OWNER_SID;
  }

  std::string restore(PlayedService& played, bool service_existed) {
    played.filesRestored = [this] { return testing::read_text(installed()) == "old"; };
    ApplyRun run;
    run.ownerSid = testing::OWNER_SID;
    run.installationFolder = installation_;
    run.work = WorkFolder{work_, true};
    run.savedNames = {"BoreluService.exe"};
    run.serviceExisted = service_existed;
    EXPECT_TRUE(begin_apply(run.work, {false, run.ownerSid, service_existed}));
    return restore_installation(run, Failure(std::string(kApplyFailure)), played).text();
  }

  std::string installation_;
  std::string work_;
};

std::string recovery_failed(std::string_view first) {
  return std::string(kApplyFailure) + " Recovery failed: " + std::string(first) +
         ". Run BoreluSetup again.";
}

TEST_F(ServiceStates, TheRestoreWaitsOutPendingStatesAndMarkedDeletionsWithinTheLimit) {
  using Script = PlayedService::Script;
  const std::string still_removing =
      recovery_failed("Windows is still removing the Borelu service; restart Windows first");
  struct Case {
    const char* what;
    Script script;
    bool serviceExisted;
    std::string outcome;
    DWORD finalState;
    bool reinstalled = false;  // by the previous release's installer, from the rollback copy
    std::optional<std::string> reinstallFailure = std::nullopt;
  };
  const Case cases[] = {
      {"starting: 1061, then running, then stopped on a second request",
       {SERVICE_START_PENDING, {SERVICE_START_PENDING, SERVICE_START_PENDING, SERVICE_RUNNING}},
       true,
       std::string(kApplyFailure),
       SERVICE_RUNNING},
      {"stopping already: 1061, then stopped",
       {SERVICE_STOP_PENDING, {SERVICE_STOP_PENDING, SERVICE_STOPPED}},
       true,
       std::string(kApplyFailure),
       SERVICE_RUNNING},
      {"marked for deletion by the failed installer: 1072 on the restart, gone, put back",
       {SERVICE_STOPPED, {}, true, 3},
       true,
       std::string(kApplyFailure),
       SERVICE_RUNNING,
       true},
      {"deleted by the failed installer: gone (1060), put back",
       {SERVICE_STOPPED, {}, true, 0},
       true,
       std::string(kApplyFailure),
       SERVICE_RUNNING,
       true},
      {"gone, and the previous installer fails too: the restore fails",
       {SERVICE_STOPPED, {}, true, 0},
       true,
       recovery_failed(kReinstallFailure.substr(0, kReinstallFailure.size() - 1)),
       SERVICE_STOPPED,
       true,
       std::string(kReinstallFailure)},
      {"created by the failed apply: deleted, and gone once the other handle is closed",
       {SERVICE_RUNNING, {}, false, 2},
       false,
       std::string(kApplyFailure),
       SERVICE_STOPPED},
      {"starting for longer than the limit",
       {SERVICE_START_PENDING, {}},
       true,
       recovery_failed("Borelu service did not stop. No update was applied"),
       SERVICE_START_PENDING},
      {"marked for deletion and never gone: not installed over",
       {SERVICE_STOPPED, {}, true, -1},
       true,
       still_removing,
       SERVICE_STOPPED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prepare();
    PlayedService played(c.script);
    played.reinstallFailure = c.reinstallFailure;
    EXPECT_EQ(restore(played, c.serviceExisted), c.outcome);
    EXPECT_EQ(played.state(), c.finalState);
    EXPECT_EQ(testing::read_text(installed()), "old");
    EXPECT_EQ(played.reinstalls,
              c.reinstalled ? std::vector{previous_installer()} : std::vector<std::string>{});
    if (c.outcome == kApplyFailure) {
      EXPECT_FALSE(played.replacedWhileRunning);  // the files went back once it had stopped
      EXPECT_EQ(played.gone(), !c.serviceExisted);
    } else {
      // The next run restores again from the rollback copy, by its record.
      EXPECT_EQ(testing::read_text(join_path(work_, "rollback\\BoreluService.exe")), "old");
      EXPECT_EQ(win::path_attributes(join_path(work_, std::string(APPLY_JOURNAL_FILE))) !=
                    INVALID_FILE_ATTRIBUTES,
                true);
    }
    // Every wait keeps to the stop limit of 30 s, polled every 100 ms.
    EXPECT_LE(played.elapsed, 30100ms);
  }
}

// A worker killed after its installer deleted the service leaves the record that the service
// existed: the next run's recovery puts it back with the installer of that run's rollback copy,
// or keeps the record when that fails.
TEST(InterruptedApply, PutsBackTheServiceItsInstallerDeleted) {
  const std::string maintenance = testing::temp_folder("borelu-states-deleted");
  const std::string work = join_path(maintenance, "work-" + std::string(32, 'c'));
  const std::string journal = join_path(work, std::string(APPLY_JOURNAL_FILE));
  ASSERT_TRUE(win::create_directories(join_path(work, "rollback")));
  for (const bool fails : {true, false}) {
    SCOPED_TRACE(fails ? "the installer fails" : "the installer succeeds");
    ASSERT_TRUE(win::write_whole_file(
        journal, apply_journal_json({false, testing::OWNER_SID, true, false})));
    PlayedService gone({SERVICE_STOPPED, {}, true, 0});
    if (fails) {
      gone.reinstallFailure = std::string(kReinstallFailure);
    }
    EXPECT_EQ(outcome(recover_interrupted_applies(maintenance, gone)),
              fails ? "A previous Borelu installation was interrupted. Recovery failed: " +
                          std::string(kReinstallFailure.substr(0, kReinstallFailure.size() - 1)) +
                          ". Run BoreluSetup again."
                    : "success");
    EXPECT_EQ(gone.reinstalls,
              std::vector{join_path(work, "rollback") + " | " + work + " | " + testing::OWNER_SID});
    EXPECT_EQ(win::path_attributes(journal) != INVALID_FILE_ATTRIBUTES, fails);
    EXPECT_EQ(gone.state(), fails ? DWORD{SERVICE_STOPPED} : DWORD{SERVICE_RUNNING});
  }
  DeleteFileW(win::widen(journal).c_str());
  RemoveDirectoryW(win::widen(join_path(work, "rollback")).c_str());
  RemoveDirectoryW(win::widen(work).c_str());
  RemoveDirectoryW(win::widen(maintenance).c_str());
}

// The recovery of an interrupted apply is the first thing every run does; the service it deletes
// must be gone before that run's service installer creates it again.
TEST_F(ServiceStates, ARecoveredFirstInstallationLeavesNoServiceForTheInstallThatFollows) {
  const std::string maintenance = testing::temp_folder("borelu-states-maintenance");
  const std::string work = join_path(maintenance, "work-" + std::string(32, 'a'));
  ASSERT_TRUE(win::create_directories(join_path(work, "rollback")));
  ASSERT_TRUE(win::write_whole_file(join_path(work, std::string(APPLY_JOURNAL_FILE)),
                                    apply_journal_json({false, testing::OWNER_SID, false})));
  PlayedService played({SERVICE_RUNNING, {}, false, 2});

  EXPECT_EQ(outcome(recover_interrupted_applies(maintenance, played)), "success");
  EXPECT_EQ(probe_blocking_service(played).value_or(true), false);

  RemoveDirectoryW(win::widen(join_path(work, "rollback")).c_str());
  RemoveDirectoryW(win::widen(work).c_str());
  RemoveDirectoryW(win::widen(maintenance).c_str());
}

// An update never writes the owner's startup value, so its recovery has nothing to put back there:
// the owner may have signed out (their registry hive is then not loaded, and Windows refuses to
// open their keys) while another administrator runs Setup. Wine creates any key under HKEY_USERS,
// so here the fault would show as a key made for a user who has no hive.
TEST(InterruptedUpdate, IsRecoveredWithoutTheOwnersRegistryHive) {
  const std::string owner = "S-1-5-21-9-9-9-1001";
  RegDeleteTreeW(HKEY_USERS, win::widen(owner).c_str());
  const std::string maintenance = testing::temp_folder("borelu-update-maintenance");
  const std::string work = join_path(maintenance, "work-" + std::string(32, 'b'));
  ASSERT_TRUE(win::create_directories(join_path(work, "rollback")));
  ASSERT_TRUE(win::write_whole_file(join_path(work, std::string(APPLY_JOURNAL_FILE)),
                                    apply_journal_json({true, owner, false, false})));
  PlayedService absent({SERVICE_STOPPED, {}, true, 0});

  EXPECT_EQ(outcome(recover_interrupted_applies(maintenance, absent)), "success");
  HKEY hive = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_USERS, win::widen(owner).c_str(), 0, KEY_READ, &hive),
            ERROR_FILE_NOT_FOUND);
  if (hive != nullptr) {
    RegCloseKey(hive);
    RegDeleteTreeW(HKEY_USERS, win::widen(owner).c_str());
  }
  RemoveDirectoryW(win::widen(join_path(work, "rollback")).c_str());
  RemoveDirectoryW(win::widen(work).c_str());
  RemoveDirectoryW(win::widen(maintenance).c_str());
}

}  // namespace
}  // namespace borelu::apply

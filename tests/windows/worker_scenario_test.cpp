// BoreluSetup.exe in worker mode against stages of the signed test release, judged from outside.

#include <windows.h>

#include <gtest/gtest.h>

#include "installed_state.h"
#include "staged_release.h"
#include "win/files.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

class WorkerScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    remove_installation();
    stage_ = make_stage(temp_folder("borelu-worker-stage"));
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", nullptr);
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
  for (const char* name : kReleaseNames) {
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

TEST_F(WorkerScenario, StageFaultsAndPreconditions) {
  const InstalledState before = InstalledState::read();
  const auto bad_owner =
      run_process(L"\"" + program_path("BORELU_SETUP_EXE") + L"\" --worker --stage \"" +
                  win::widen(stage_) + L"\" --owner-sid S-1-5-18 --parent-pid 0 --setup");
  EXPECT_EQ(bad_owner.standardError, "Windows installation permission is required.\n");
  ASSERT_TRUE(win::write_whole_file(join_path(stage_, "release.json"), std::string(40000, ' ')));
  EXPECT_EQ(run_worker_process(stage_, "--setup").standardError,
            "Release metadata is too large.\n");
  EXPECT_EQ(InstalledState::read(), before);
}

}  // namespace
}  // namespace borelu::testing

// Service installer runs and the blocking service's probe, stop and restore.

#include <windows.h>

#include <gtest/gtest.h>

#include "apply/blocking_service.h"
#include "core/path_text.h"
#include "outcome.h"
#include "process_runner.h"
#include "staged_release.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::apply {
namespace {

using testing::outcome;

class ServiceInstaller : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = testing::temp_folder("borelu-installer-work");
    ASSERT_TRUE(win::create_directories(work_));
    const std::wstring target = win::widen(join_path(work_, "BoreluService.exe"));
    ASSERT_TRUE(
        CopyFileW(testing::program_path("BORELU_SERVICE_DOUBLE").c_str(), target.c_str(), FALSE));
  }
  void TearDown() override { SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", nullptr); }

  Status run_with(const wchar_t* behaviour) {
    SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", behaviour);
    return run_service_installer(work_, testing::OWNER_SID);
  }
  std::string work_;
};

TEST_F(ServiceInstaller, ExitCodeZeroIsSuccessEvenWithMuchOutputOnBothPipes) {
  EXPECT_TRUE(run_with(L"chatty-success"));
}

TEST_F(ServiceInstaller, FailuresCarryTheExitCodeAndTheCleanedDetails) {
  EXPECT_EQ(outcome(run_with(L"silent-failure")),
            "Borelu service installation failed (exit 1). No additional Windows error was "
            "reported. The previous "
            "version will be restored.");
  const std::string noisy = outcome(run_with(L"noisy-failure"));
  ASSERT_TRUE(noisy.starts_with(
      "Borelu service installation failed (exit 7). install step failed:   code 42;"))
      << noisy;
  ASSERT_TRUE(noisy.ends_with(" The previous version will be restored."));
  const std::size_t details = noisy.size() -
                              std::string("Borelu service installation failed (exit 7). ").size() -
                              std::string(" The previous version will be restored.").size();
  EXPECT_LE(details, 600u);
  EXPECT_EQ(noisy.find_first_of("\r\n\t"), std::string::npos);
}

TEST_F(ServiceInstaller, AMissingInstallerIsTheSystemErrorText) {
  DeleteFileW(win::widen(join_path(work_, "BoreluService.exe")).c_str());
  EXPECT_TRUE(outcome(run_with(L"chatty-success")).ends_with("(os error 2)"));
}

TEST(AbsentService, NothingToStopOrRestore) {
  ServiceControl& control = system_service_control();
  ASSERT_TRUE(restore_blocking_service(control, false));
  EXPECT_EQ(probe_blocking_service(control).value_or(true), false);
  EXPECT_TRUE(stop_blocking_service(control));
  EXPECT_TRUE(restore_blocking_service(control, true));
  EXPECT_TRUE(restore_blocking_service(control, false));
}

}  // namespace
}  // namespace borelu::apply

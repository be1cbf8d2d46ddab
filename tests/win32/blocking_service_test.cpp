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

  // The previous release's installer, putting the service back, says so in a sentence of its own.
  SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", L"silent-failure");
  EXPECT_EQ(outcome(run_previous_service_installer({work_, work_, testing::OWNER_SID})),
            "The previous Borelu service could not be installed again (exit 1). No additional "
            "Windows error was reported.");
}

TEST_F(ServiceInstaller, AMissingInstallerIsTheSystemErrorText) {
  DeleteFileW(win::widen(join_path(work_, "BoreluService.exe")).c_str());
  EXPECT_TRUE(outcome(run_with(L"chatty-success")).ends_with("(os error 2)"));
}

TEST(AbsentService, NothingToStopOrRestoreUnlessItExistedBefore) {
  ServiceControl& control = system_service_control();
  const std::string empty = testing::temp_folder("borelu-no-installer");
  ASSERT_TRUE(win::create_directories(empty));
  const PreviousInstaller missing{empty, empty, testing::OWNER_SID};
  ASSERT_TRUE(restore_blocking_service(control, false, missing));
  EXPECT_EQ(probe_blocking_service(control).value_or(true), false);
  EXPECT_TRUE(stop_blocking_service(control));
  EXPECT_TRUE(restore_blocking_service(control, false, missing));
  // A service that existed before the apply is put back, here by an installer that is not there.
  const std::string put_back = outcome(restore_blocking_service(control, true, missing));
  EXPECT_TRUE(put_back.starts_with("The previous Borelu service could not be installed again: "))
      << put_back;
  EXPECT_TRUE(put_back.ends_with("(os error 2)")) << put_back;
  EXPECT_EQ(probe_blocking_service(control).value_or(true), false);
  testing::remove_folder(join_path(empty, "temp"));
  testing::remove_folder(empty);
}

}  // namespace
}  // namespace borelu::apply

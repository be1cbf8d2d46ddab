// The check of the application process that started an update, and the install lock.

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "apply/calling_application.h"
#include "apply/install_lock.h"
#include "core/hex.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "outcome.h"
#include "process_runner.h"
#include "test_prefix.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"
#include "windows/process_identity.h"

namespace borelu::apply {
namespace {

using namespace std::chrono_literals;
using testing::outcome;

// A program held suspended, so that it is still running while it is checked.
class Suspended : public testing::ChildProcess {
 public:
  explicit Suspended(const std::string& executable)
      : ChildProcess(L"\"" + win::widen(executable) + L"\"") {}
};

class CallingApplication : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = *manifest::installation_folder();
    ASSERT_TRUE(win::create_directories(folder_));
    // Other tests may have left an installation with its policy behind.
    DeleteFileW(win::widen(join_path(folder_, "blocking-policy.json")).c_str());
    application_ = join_path(folder_, "Borelu.exe");
    ASSERT_TRUE(CopyFileW(testing::program_path("BORELU_APPLICATION_DOUBLE").c_str(),
                          win::widen(application_).c_str(), FALSE));
    owner_ = *blocking::process_user_sid(GetCurrentProcess());
  }
  void TearDown() override {
    DeleteFileW(win::widen(join_path(folder_, "blocking-policy.json")).c_str());
    DeleteFileW(win::widen(application_).c_str());
  }
  void write_policy(const std::string& owner, const std::string& client) {
    ASSERT_TRUE(win::write_whole_file(
        join_path(folder_, "blocking-policy.json"),
        "{\"version\":1,\"owner_sid\":\"" + owner + "\",\"client_sha256\":\"" + client +
            "\",\"service_sha256\":\"" + std::string(64, '0') + "\"}"));
  }
  std::string application_digest() { return testing::file_sha256(application_); }
  std::string folder_;
  std::string application_;
  std::string owner_;
};

TEST_F(CallingApplication, NoCallerOrAnEndedOneIsFine) {
  EXPECT_TRUE(check_calling_application(0, owner_, folder_, 100ms));
  std::uint32_t ended_pid = 0;
  {
    Suspended ended(application_);
    ended_pid = ended.pid();
    TerminateProcess(ended.process(), 0);
    WaitForSingleObject(ended.process(), 5000);
    // While its handle is open the process object exists but has ended.
    EXPECT_TRUE(check_calling_application(ended_pid, owner_, folder_, 100ms));
  }
  EXPECT_TRUE(check_calling_application(ended_pid, owner_, folder_, 100ms));
}

TEST_F(CallingApplication, UntrustedRunningProcessesAreNotWaitedFor) {
  Suspended caller(application_);
  ASSERT_NE(caller.pid(), 0u);
  // No policy: the finding is the policy's own message.
  EXPECT_EQ(outcome(check_calling_application(caller.pid(), owner_, folder_, 100ms)),
            "Install the Borelu blocking service first.");
  // A process of another user than the one the worker acts for, another digest, another program.
  write_policy(owner_, application_digest());
  EXPECT_EQ(outcome(check_calling_application(caller.pid(), "S-1-5-21-9-9-9-1001", folder_, 100ms)),
            "Untrusted blocking pipe peer.");
  write_policy(owner_, std::string(64, 'a'));
  EXPECT_EQ(outcome(check_calling_application(caller.pid(), owner_, folder_, 100ms)),
            "Untrusted blocking pipe peer.");
  write_policy(owner_, application_digest());
  Suspended other(std::string(win::narrow(testing::program_path("BORELU_APPLICATION_DOUBLE"))));
  EXPECT_EQ(outcome(check_calling_application(other.pid(), owner_, folder_, 100ms)),
            "Untrusted blocking pipe peer.");
}

TEST_F(CallingApplication, TheTrustedApplicationIsWaitedForWithinTheLimit) {
  write_policy(owner_, application_digest());
  Suspended staying(application_);
  EXPECT_EQ(outcome(check_calling_application(staying.pid(), owner_, folder_, 300ms)),
            "Borelu is still open. Close it and try the update again.");

  Suspended closing(application_);
  std::thread closer([&] {
    std::this_thread::sleep_for(200ms);
    TerminateProcess(closing.process(), 0);
  });
  EXPECT_TRUE(check_calling_application(closing.pid(), owner_, folder_, 10000ms));
  closer.join();
}

TEST(InstallLock, ASecondHolderFailsAtOnce) {
  auto first = take_install_lock();
  ASSERT_TRUE(first) << outcome(first);
  EXPECT_EQ(outcome(take_install_lock()), "Another Borelu installation is already running.");
  const auto worker =
      testing::run_process(L"\"" + testing::program_path("BORELU_SETUP_EXE") +
                           L"\" --worker --stage C:\\nowhere --owner-sid S-1-5-21-0-0-0-1000 "
                           L"--parent-pid 0 --setup");
  EXPECT_EQ(worker.exitCode, 1u);
  EXPECT_EQ(worker.standardError, "Another Borelu installation is already running.\n");
  first->reset();
  EXPECT_TRUE(take_install_lock());
}

}  // namespace
}  // namespace borelu::apply

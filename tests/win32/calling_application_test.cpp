// The check of the application process that started an update, and the install lock.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "apply/calling_application.h"
#include "apply/debug_privilege.h"
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

// SeDebugPrivilege in this process's token: absent, held disabled, or enabled.
enum class Privilege { absent, disabled, enabled };

Privilege debug_privilege() {
  win::Handle token;
  LUID debug{};
  DWORD size = 0;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) ||
      !LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &debug)) {
    return Privilege::absent;
  }
  GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size == 0 || !GetTokenInformation(token.get(), TokenPrivileges, buffer.data(), size, &size)) {
    return Privilege::absent;
  }
  const auto* held = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  for (DWORD i = 0; i < held->PrivilegeCount; ++i) {
    const LUID_AND_ATTRIBUTES& entry = held->Privileges[i];
    if (entry.Luid.LowPart == debug.LowPart && entry.Luid.HighPart == debug.HighPart) {
      return (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0 ? Privilege::enabled
                                                            : Privilege::disabled;
    }
  }
  return Privilege::absent;
}

bool set_debug_privilege(DWORD attributes) {
  win::Handle token;
  TOKEN_PRIVILEGES change{};
  change.PrivilegeCount = 1;
  change.Privileges[0].Attributes = attributes;
  return OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put()) &&
         LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &change.Privileges[0].Luid) &&
         AdjustTokenPrivileges(token.get(), FALSE, &change, 0, nullptr, nullptr) &&
         GetLastError() == ERROR_SUCCESS;
}

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
  EXPECT_EQ(debug_privilege(), Privilege::disabled);  // only ever enabled inside the opens
}

// The privilege is enabled only inside the call that opens the caller or its token, and is as it
// was before once that call has returned; the call's own last error survives. Wine's elevated
// token holds the privilege, disabled, as an administrator's does on Windows.
TEST(DebugPrivilege, EnabledOnlyDuringTheCallAndPutBackAsItWas) {
  ASSERT_EQ(debug_privilege(), Privilege::disabled);
  Privilege during = Privilege::absent;
  const DWORD error = with_debug_privilege([&] {
    during = debug_privilege();
    SetLastError(ERROR_INVALID_PARAMETER);
    return GetLastError();
  });
  EXPECT_EQ(GetLastError(), error);
  EXPECT_EQ(during, Privilege::enabled);
  EXPECT_EQ(debug_privilege(), Privilege::disabled);

  // Enabled already: it stays enabled after the scope.
  ASSERT_TRUE(set_debug_privilege(SE_PRIVILEGE_ENABLED));
  with_debug_privilege([&] { during = debug_privilege(); });
  EXPECT_EQ(during, Privilege::enabled);
  EXPECT_EQ(debug_privilege(), Privilege::enabled);
  ASSERT_TRUE(set_debug_privilege(0));
}

// A token without the privilege (a worker that is not an administrator's cannot get here, but a
// restricted token could): the caller of the worker's own account is checked and waited for as
// before. Run in a child process, since the privilege cannot be given back once removed.
TEST_F(CallingApplication, WithoutTheDebugPrivilegeTheOwnersApplicationIsStillTrusted) {
  write_policy(owner_, application_digest());
  EXPECT_EXIT(
      {
        if (!set_debug_privilege(SE_PRIVILEGE_REMOVED) || debug_privilege() != Privilege::absent) {
          std::exit(2);
        }
        Suspended staying(application_);
        const std::string found =
            outcome(check_calling_application(staying.pid(), owner_, folder_, 100ms));
        TerminateProcess(staying.process(), 0);
        std::fputs(found.c_str(), stderr);
        std::exit(found == "Borelu is still open. Close it and try the update again." ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "still open");
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

// Running-instance detection against real processes of the application double.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "controller/running_instance.h"
#include "core/path_text.h"
#include "installation_aside.h"
#include "process_runner.h"
#include "staged_release.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::controller {
namespace {

// "running", "none" or the failure text.
std::string found() {
  const auto result = find_running_instance();
  if (!result) {
    return result.error().text();
  }
  return *result == RunningInstance::running ? "running" : "none";
}

// Waits until no process can be opened under `pid` any more; Wine keeps an ended process
// openable for a moment after its last handle is closed.
bool wait_until_gone(std::uint32_t pid) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const win::Handle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) {
      return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    Sleep(50);
  }
  return false;
}

// The application double, held suspended until the test ends it: a process like any other to
// the walk, and one that shares the test's console. (A console program started on its own under
// Wine gets a console host of its own, which can outlive it when it is ended while still
// starting and then keeps the test's output pipe open.)
std::unique_ptr<testing::ChildProcess> start(const std::string& executable) {
  return std::make_unique<testing::ChildProcess>(L"\"" + win::widen(executable) +
                                                 L"\" --run-for 60000");
}

class FindRunningInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(installation_.ready());
    elsewhere_folder_ = testing::temp_folder("borelu-downloads");
    ASSERT_TRUE(win::create_directories(elsewhere_folder_));
    elsewhere_ = join_path(elsewhere_folder_, "Borelu.exe");
    ASSERT_TRUE(CopyFileW(testing::program_path("BORELU_APPLICATION_DOUBLE").c_str(),
                          win::widen(elsewhere_).c_str(), FALSE));
  }
  void TearDown() override {
    processes_.clear();
    testing::remove_tree(elsewhere_folder_);
  }
  testing::ChildProcess& run(const std::string& executable) {
    processes_.push_back(start(executable));
    EXPECT_NE(processes_.back()->pid(), 0u) << executable;
    return *processes_.back();
  }

  testing::InstallationAside installation_;
  std::string elsewhere_folder_;
  std::string elsewhere_;
  std::vector<std::unique_ptr<testing::ChildProcess>> processes_;
};

TEST_F(FindRunningInstance, OnlyTheInstalledExecutableCounts) {
  struct Case {
    const char* what;
    std::optional<std::string_view> installed_as;  // nothing: no installation folder at all
    bool run_installed;
    const char* expected;
  };
  const Case cases[] = {
      {"installed copy whose name differs in case", "BORELU.EXE", true, "running"},
      {"same name from a download folder, installed one idle", "Borelu.exe", false, "none"},
      {"same name from a download folder, nothing installed", std::nullopt, false, "none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string installed;
    if (c.installed_as) {
      installed = installation_.install_application(*c.installed_as);
    }
    run(elsewhere_);
    if (c.run_installed) {
      run(installed);
    }
    EXPECT_EQ(found(), c.expected);
    processes_.clear();
    testing::remove_tree(installation_.folder());
  }
}

TEST_F(FindRunningInstance, AProcessThatHasEndedIsSkipped) {
  const std::string installed = installation_.install_application();
  const std::string application = join_path(installation_.folder(), "Borelu.exe");
  std::uint32_t pid = 0;
  const auto answer = [&] {
    const auto runs = process_runs(pid, application);
    return runs ? std::string(*runs ? "match" : "no match") : runs.error().text();
  };
  testing::ChildProcess& process = run(installed);
  pid = process.pid();
  EXPECT_EQ(answer(), "match");
  // Ended, while a handle keeps its process object (and its image path) readable.
  TerminateProcess(process.process(), 0);
  ASSERT_EQ(WaitForSingleObject(process.process(), 5000), WAIT_OBJECT_0);
  EXPECT_EQ(answer(), "no match");
  // Gone altogether: its id opens nothing.
  processes_.clear();
  ASSERT_TRUE(wait_until_gone(pid));
  EXPECT_EQ(answer(), "no match");
  EXPECT_EQ(found(), "none");
}

}  // namespace
}  // namespace borelu::controller

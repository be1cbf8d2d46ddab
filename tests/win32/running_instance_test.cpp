// Running-instance detection against real processes of the application double.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

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

class FindRunningInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(installation_.ready());
    ASSERT_TRUE(win::create_directories(downloads_));
    ASSERT_TRUE(CopyFileW(testing::program_path("BORELU_APPLICATION_DOUBLE").c_str(),
                          win::widen(elsewhere_).c_str(), FALSE));
  }
  void TearDown() override {
    processes_.clear();
    testing::remove_tree(downloads_);
  }
  // The application double, held suspended until the test ends it, so that it shares the test's
  // console: under Wine a console host of its own can outlive it and hold the test's output.
  testing::ChildProcess& run(const std::string& executable) {
    processes_.push_back(std::make_unique<testing::ChildProcess>(L"\"" + win::widen(executable) +
                                                                 L"\" --run-for 60000"));
    EXPECT_NE(processes_.back()->pid(), 0u) << executable;
    return *processes_.back();
  }

  testing::InstallationAside installation_;
  const std::string downloads_ = testing::temp_folder("borelu-downloads");
  const std::string elsewhere_ = join_path(downloads_, "Borelu.exe");
  std::vector<std::unique_ptr<testing::ChildProcess>> processes_;
};

TEST_F(FindRunningInstance, OnlyTheInstalledExecutableCounts) {
  struct Case {
    const char* what;
    const char* installed_as;  // null: no installation folder at all
    bool run_installed;
    const char* expected;
  };
  const Case cases[] = {
      {"installed copy whose name differs in case", "BORELU.EXE", true, "running"},
      {"same name from a download folder, installed one idle", "Borelu.exe", false, "none"},
      {"same name from a download folder, nothing installed", nullptr, false, "none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string installed;
    if (c.installed_as) {
      installed = installation_.install_application(c.installed_as);
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
  const std::string application = installation_.install_application();
  std::uint32_t pid = 0;
  const auto answer = [&] {
    const auto runs = process_runs(pid, application);
    return runs ? std::string(*runs ? "match" : "no match") : runs.error().text();
  };
  testing::ChildProcess& process = run(application);
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

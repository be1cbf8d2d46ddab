// The wizard's return to the desktop's user, as far as Wine can show it. Wine's desktop process
// (explorer.exe) registers no shell window (GetShellWindow gives nothing), and every process there
// runs with one elevated token of one user: both ways, the wizard goes on. Its token is still read
// here through its desktop window, and the shell's ShellExecute, which Wine's explorer serves,
// starts a program.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "controller/com_apartment.h"
#include "core/path_text.h"
#include "outcome.h"
#include "staged_release.h"
#include "test_prefix.h"
#include "unelevated_start.h"
#include "win/files.h"
#include "win/text.h"
#include "windows/process_identity.h"

namespace borelu {
namespace {

// A window of this process, shown, so that Wine's desktop process runs.
class ShownWindow {
 public:
  ShownWindow()
      : window_(CreateWindowExW(0, L"STATIC", L"Borelu test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr)) {
    ShowWindow(window_, SW_SHOWNOACTIVATE);
  }
  ~ShownWindow() { DestroyWindow(window_); }
  ShownWindow(const ShownWindow&) = delete;
  ShownWindow& operator=(const ShownWindow&) = delete;

 private:
  HWND window_;
};

std::string outcome_text(const Result<bool>& relaunched) {
  return !relaunched ? relaunched.error().text() : *relaunched ? "relaunched" : "go on";
}

TEST(UnelevatedStart, WineShowsAnElevatedShellOfThisUserOrNoneAndTheWizardGoesOn) {
  const controller::ComApartment apartment(COINIT_APARTMENTTHREADED);
  const ShownWindow shown;
  ASSERT_TRUE(blocking::is_elevated());

  // The desktop window's process is Wine's explorer: its token read as the shell's would be.
  DWORD desktop_process = 0;
  GetWindowThreadProcessId(GetDesktopWindow(), &desktop_process);
  ASSERT_NE(desktop_process, GetCurrentProcessId());
  const DesktopShell explorer = read_shell_of(GetDesktopWindow());
  EXPECT_EQ(explorer.unreadable.value_or(Failure("readable")).text(), "readable");
  EXPECT_EQ(explorer.token, ShellToken::elevated);
  EXPECT_TRUE(explorer.sameUser);

  const DesktopShell shell = read_desktop_shell();
  EXPECT_EQ(shell.token, GetShellWindow() == nullptr ? ShellToken::none : ShellToken::elevated);
  EXPECT_EQ(outcome_text(return_to_desktop_user()), "go on");
}

TEST(UnelevatedStart, TheShellStartsTheProgramItIsGiven) {
  const controller::ComApartment apartment(COINIT_APARTMENTTHREADED);
  const ShownWindow shown;
  const std::string folder =
      testing::temp_folder("borelu-through-shell-" + std::to_string(GetCurrentProcessId()));
  ASSERT_TRUE(win::create_directories(folder));
  const std::string program = join_path(folder, "Borelu.exe");
  ASSERT_TRUE(CopyFileW(testing::program_path("BORELU_APPLICATION_DOUBLE").c_str(),
                        win::widen(program).c_str(), FALSE));
  const auto launched = [&] {
    return testing::read_text(testing::temp_folder("borelu-application-launches.log"))
               .find(program + " started in") != std::string::npos;
  };
  ASSERT_FALSE(launched());

  // Wine's desktop process, started by this test's window, serves the shell's windows once it has
  // finished starting; until then their class is not registered (0x80040154).
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::string started = testing::outcome(start_through_shell(win::widen(program)));
  while (started.ends_with("(os error 2147746132)") && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    started = testing::outcome(start_through_shell(win::widen(program)));
  }
  ASSERT_EQ(started, "success");
  while (!launched() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(launched());
  testing::remove_folder(folder);
}

}  // namespace
}  // namespace borelu

// The UI driver's input reaches another process's window through the input system: a failure
// dialog of BoreluSetup.exe is dismissed once by a mouse click on OK and once by Enter.

#include <gtest/gtest.h>

#include "process_runner.h"
#include "ui_driver.h"

namespace borelu::testing {
namespace {

TEST(UiDriver, ClickAndKeyReachTheDialogOfAnotherProcess) {
  for (const bool by_key : {false, true}) {
    ChildProcess setup(L"\"" + program_path("BORELU_SETUP_EXE") + L"\" --setup",
                       ChildProcess::Start::running);
    const auto dialog = wait_for_window(setup.pid(), L"#32770", std::chrono::seconds(20));
    ASSERT_TRUE(dialog);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let it lay itself out
    const WindowView view = read_window(*dialog);
    EXPECT_EQ(view.caption, "Borelu");
    const ControlView* ok = view.control(IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->enabled);
    if (by_key) {
      press_key(*dialog, VK_RETURN);
    } else {
      click(*dialog, IDOK);
    }
    EXPECT_TRUE(wait_until([&] { return setup.ended(); }, std::chrono::seconds(10))) << by_key;
    DWORD code = 0;
    GetExitCodeProcess(setup.process(), &code);
    EXPECT_EQ(code, 1u);
  }
}

}  // namespace
}  // namespace borelu::testing

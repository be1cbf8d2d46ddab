// DLLs planted beside BoreluSetup.exe, as an attacker could leave them in a Downloads folder, are
// never loaded: not at start-up, not by the wizard's windows, not by the elevated worker.
//
// Wine has no KnownDLLs and prefers its own DLL to a file beside the program; the test asks it to
// prefer a file beside the program for every planted name (WINEDLLOVERRIDES "name=n,b"), which is
// how Windows treats a DLL that is not a KnownDLL. "version.dll" is not planted: Wine's own
// user32.dll imports it, whatever the program does (on Windows user32 is a KnownDLL, whose imports
// are KnownDLLs too).

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "installation_aside.h"
#include "installed_state.h"
#include "staged_release.h"
#include "ui_driver.h"

namespace borelu::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPlanted[] = {"bcrypt",  "comctl32", "crypt32", "dwmapi",
                                    "uxtheme", "winhttp",  "wintrust"};

class DllPlanting : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(win::widen(temp_folder("borelu-planted")));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    program_ = folder_ / "BoreluSetup.exe";
    fs::copy_file(program_path("BORELU_SETUP_EXE"), program_);
    std::wstring overrides;
    for (const char* name : kPlanted) {
      fs::copy_file(program_path("BORELU_PLANTED_LIBRARY"), folder_ / (std::string(name) + ".dll"));
      overrides += (overrides.empty() ? L"" : L",") + win::widen(name);
    }
    wchar_t saved[1024] = {};
    GetEnvironmentVariableW(L"WINEDLLOVERRIDES", saved, 1024);
    saved_overrides_ = saved;
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES",
                            (saved_overrides_ + L";" + overrides + L"=n,b").c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", saved_overrides_.c_str());
    remove_tree(win::narrow(folder_.wstring()));
  }

  // The planted DLLs that were loaded, by the marks they left.
  std::vector<std::string> loaded() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      if (entry.path().extension() == L".loaded") {
        names.push_back(entry.path().stem().string());
      }
    }
    return names;
  }
  std::wstring command(const std::wstring& arguments) const {
    return L"\"" + program_.wstring() + L"\" " + arguments;
  }

  fs::path folder_;
  fs::path program_;
  std::wstring saved_overrides_;
};

TEST_F(DllPlanting, APlantedDllLeavesAMarkWhenLoaded) {
  // What the test relies on: Wine loads the planted file under the override, and it leaves a mark.
  EXPECT_EQ(LoadLibraryW((folder_ / "dwmapi.dll").c_str()), nullptr);
  EXPECT_EQ(loaded(), std::vector<std::string>{"dwmapi.dll"});
}

TEST_F(DllPlanting, ARefusedCommandLineLoadsNone) {
  const auto refused = run_process(command(L"--download-url https://example.com"));
  EXPECT_EQ(refused.exitCode, 1u);
  EXPECT_EQ(refused.dialogs.size(), 1u);  // the failure dialog, from the common controls
  EXPECT_EQ(loaded(), std::vector<std::string>{});
}

TEST_F(DllPlanting, TheWizardLoadsNone) {
  const ChildProcess wizard(command(L""), ChildProcess::Start::running);
  const auto window =
      wait_for_window(wizard.pid(), L"Borelu.Setup.Wizard", std::chrono::seconds(30));
  ASSERT_TRUE(window);
  PostMessageW(*window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(WaitForSingleObject(wizard.process(), 30000), WAIT_OBJECT_0);
  EXPECT_EQ(loaded(), std::vector<std::string>{});
}

TEST_F(DllPlanting, TheElevatedWorkerLoadsNone) {
  remove_installation();
  remove_webview2_runtime();  // the worker checks and runs the signed bootstrapper as well
  const std::string stage = make_stage(temp_folder("borelu-planted-stage"));
  const auto installed = run_process(
      command(L"--worker --stage \"" + win::widen(stage) + L"\" --owner-sid " +
              win::widen(OWNER_SID) + L" --parent-pid 0 --setup --options en:101:2026-10-19"));
  EXPECT_EQ(installed.exitCode, 0u) << installed.standardError;
  EXPECT_EQ(loaded(), std::vector<std::string>{});
  remove_folder(stage);
}

}  // namespace
}  // namespace borelu::testing

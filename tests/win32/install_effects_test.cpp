// What the install controller does to the machine through its real effects: the running
// executable, the regular-file test of the installed application, the elevated start of a
// worker with its wait, exit code and id, and the first launch of the application.

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "controller/install_effects.h"
#include "controller/installation_run.h"
#include "core/path_text.h"
#include "outcome.h"
#include "test_prefix.h"
#include "ui_driver.h"
#include "win/files.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

TEST(MachineEffects, ExecutablePathAndRegularFiles) {
  const auto effects = controller::machine_effects();
  const auto executable = effects->executable_path();
  ASSERT_TRUE(executable);
  EXPECT_TRUE(executable->ends_with("\\borelu_client_tests.exe")) << *executable;

  const std::string folder = temp_folder("effects-files");
  ASSERT_TRUE(win::create_directories(folder));
  ASSERT_TRUE(win::write_whole_file(join_path(folder, "Borelu.exe"), "x"));
  EXPECT_TRUE(effects->is_regular_file(join_path(folder, "Borelu.exe")));
  EXPECT_FALSE(effects->is_regular_file(folder));
  EXPECT_FALSE(effects->is_regular_file(join_path(folder, "missing.exe")));
  EXPECT_FALSE(effects->is_regular_file("C:\\borelu-links\\dirlink"));  // a linked folder
}

TEST(MachineEffects, ElevatedWorkerIsWaitedForAndAFailedStartCarriesTheSystemError) {
  const auto effects = controller::machine_effects();
  const std::string double_path = win::narrow(program_path("BORELU_APPLICATION_DOUBLE"));
  auto worker = effects->start_elevated(double_path, "--run-for 300");
  ASSERT_TRUE(worker) << worker.error().system_text;
  EXPECT_NE((*worker)->process_id(), 0u);
  EXPECT_FALSE((*worker)->wait(0));  // still running
  EXPECT_TRUE((*worker)->wait(20000));
  EXPECT_EQ((*worker)->exit_code(), 0u);
  APTTYPE type{};
  APTTYPEQUALIFIER qualifier{};
  EXPECT_EQ(CoGetApartmentType(&type, &qualifier), CO_E_NOTINITIALIZED);  // the call's COM is left

  // Reported as the start failed, with the system's own code, and without a message box of the
  // shell's that would wait for a user (and stop this test).
  const auto missing = effects->start_elevated("C:\\no such folder\\BoreluSetup.exe", "--worker");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().code, static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(missing.error().system_text, win::system_error_text(missing.error().code));
}

TEST(MachineEffects, FirstLaunchStartsTheApplicationWithoutWaiting) {
  const auto effects = controller::machine_effects();
  const std::string folder = temp_folder("effects-launch");
  ASSERT_TRUE(win::create_directories(folder));
  const std::string application = join_path(folder, "Borelu.exe");
  ASSERT_TRUE(CopyFileW(program_path("BORELU_APPLICATION_DOUBLE").c_str(),
                        win::widen(application).c_str(), FALSE));
  const std::string log = temp_folder("borelu-application-launches.log");
  DeleteFileW(win::widen(log).c_str());

  // Started in its own folder, not in this program's: a library it loads by name is never
  // looked for where Setup was started (usually Downloads). The double writes one text-mode line.
  const std::string line = application + " started in " + folder + "\r\n";
  ASSERT_TRUE(effects->launch(application));
  EXPECT_TRUE(wait_until([&] { return read_text(log).find(line) != std::string::npos; },
                         std::chrono::seconds(20)))
      << read_text(log);
  EXPECT_FALSE(effects->launch(join_path(folder, "missing.exe")));
}

}  // namespace
}  // namespace borelu::testing

namespace borelu::testing {
namespace {

TEST(InstallationRun, AProgressWindowThatCannotOpenEndsTheRunOnceTheControllerHasStopped) {
  // The window class is taken, so the progress window cannot be made.
  WNDCLASSEXW taken{};
  taken.cbSize = sizeof taken;
  taken.lpfnWndProc = DefWindowProcW;
  taken.hInstance = GetModuleHandleW(nullptr);
  taken.lpszClassName = L"Borelu.Progress";
  ASSERT_NE(RegisterClassExW(&taken), 0);
  options::SetupOptions confirmed;
  confirmed.acceptedPolicy = std::string(options::TERMS_VERSION);
  const auto before = staging_folders();
  EXPECT_EQ(outcome(controller::run_installation(confirmed)),
            "Unable to open the installation window.");
  EXPECT_EQ(staging_folders(), before);  // asked to stop before it staged anything
  UnregisterClassW(L"Borelu.Progress", GetModuleHandleW(nullptr));
}

}  // namespace
}  // namespace borelu::testing

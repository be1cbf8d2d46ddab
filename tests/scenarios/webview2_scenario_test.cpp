// WebView2 provisioning: the presence test in place, the signature check, and the worker's step
// through the real BoreluSetup.exe with the embedded, signed test bootstrapper.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "installed_state.h"
#include "outcome.h"
#include "staged_release.h"
#include "webview2/signature.h"
#include "webview2/webview2.h"

namespace borelu::testing {
namespace {

void register_pv(HKEY root, const std::wstring& key, REGSAM view, const std::wstring& version) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                            &opened, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(opened, L"pv", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                 static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
}

// Any copy of the bootstrapper left in the maintenance folder.
bool bootstrapper_left_behind() {
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(
           win::widen(*manifest::maintenance_folder_path()), error)) {
    if (entry.path().filename() == L"MicrosoftEdgeWebview2Setup.exe") {
      return true;
    }
  }
  return false;
}

TEST(WebView2Presence, MachineWideOrForTheOwnerOnly) {
  remove_webview2_runtime();
  const std::string other = "S-1-5-21-0-0-0-1001";
  remove_webview2_runtime(other);
  EXPECT_FALSE(webview2::is_webview2_present(OWNER_SID));

  register_pv(HKEY_USERS, win::widen(other) + L"\\" + WEBVIEW2_CLIENT_KEY, 0, L"120.0.2210.91");
  EXPECT_FALSE(webview2::is_webview2_present(OWNER_SID));
  EXPECT_TRUE(webview2::is_webview2_present(other));
  EXPECT_FALSE(webview2::is_webview2_present("S-1-5-18"));

  register_pv(HKEY_USERS, win::widen(OWNER_SID) + L"\\" + WEBVIEW2_CLIENT_KEY, 0, L" 1.0.0.0 ");
  EXPECT_TRUE(webview2::is_webview2_present(OWNER_SID));
  remove_webview2_runtime();

  // Machine-wide means the 32-bit view, where the runtime's installer registers.
  register_pv(HKEY_LOCAL_MACHINE, WEBVIEW2_CLIENT_KEY, KEY_WOW64_64KEY, L"120.0.2210.91");
  EXPECT_FALSE(webview2::is_webview2_present(OWNER_SID));
  register_pv(HKEY_LOCAL_MACHINE, WEBVIEW2_CLIENT_KEY, KEY_WOW64_32KEY, L"0.0.0.0");
  EXPECT_FALSE(webview2::is_webview2_present(OWNER_SID));
  register_pv(HKEY_LOCAL_MACHINE, WEBVIEW2_CLIENT_KEY, KEY_WOW64_32KEY, L"120.0.2210.91");
  EXPECT_TRUE(webview2::is_webview2_present(OWNER_SID));
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, WEBVIEW2_CLIENT_KEY.c_str(), KEY_WOW64_64KEY, 0);
  remove_webview2_runtime();
  remove_webview2_runtime(other);
}

TEST(WebView2Signature, AnUnsignedFileIsRefusedWithItsStatus) {
  const std::wstring unsigned_file = program_path("BORELU_APPLICATION_DOUBLE");
  const win::FileHandle file(CreateFileW(unsigned_file.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  EXPECT_EQ(outcome(webview2::verify_signature(unsigned_file, file.get())),
            "Windows could not verify the Microsoft WebView2 installer signature (0x800b0100). "
            "Check internet access and run Setup again.");
}

class WebView2Scenario : public ::testing::Test {
 protected:
  void SetUp() override {
    remove_installation();
    remove_webview2_runtime();
    stage_ = make_stage(temp_folder("borelu-webview2-stage"));
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"BORELU_TEST_BOOTSTRAPPER", nullptr);
    remove_folder(stage_);
  }
  ProcessOutcome setup(const wchar_t* bootstrapper_mode) {
    SetEnvironmentVariableW(L"BORELU_TEST_BOOTSTRAPPER", bootstrapper_mode);
    return run_worker_process(stage_, "--setup --options en:101:2026-10-19");
  }
  std::string stage_;
};

TEST_F(WebView2Scenario, AbsentThenProvidedThenPresent) {
  const auto installed = setup(nullptr);
  ASSERT_EQ(installed.exitCode, 0u) << installed.standardError;
  EXPECT_TRUE(webview2::is_webview2_present(OWNER_SID));
  EXPECT_FALSE(bootstrapper_left_behind());

  // Present now: the bootstrapper is not run again, so its failure cannot matter.
  const auto repaired = setup(L"absent-exit-0");
  EXPECT_EQ(repaired.exitCode, 0u) << repaired.standardError;
}

TEST_F(WebView2Scenario, ANonZeroExitWithTheRuntimePresentIsASuccess) {
  const auto installed = setup(L"present-exit-5");
  EXPECT_EQ(installed.exitCode, 0u) << installed.standardError;
  EXPECT_FALSE(bootstrapper_left_behind());
}

TEST_F(WebView2Scenario, ARuntimeStillAbsentStopsTheRunBeforeAnythingChanges) {
  const InstalledState nothing = InstalledState::read();
  const std::string unfinished =
      "Microsoft WebView2 setup did not finish (0x00000000). Check internet access and "
      "installation permissions, then run BoreluSetup again.\n";
  EXPECT_EQ(setup(L"absent-exit-0").standardError, unfinished);
  EXPECT_EQ(setup(L"zero-version").standardError, unfinished);
  EXPECT_EQ(setup(L"sandbox").standardError,
            "Windows denied access to the Microsoft WebView2 installation folder. This is a known "
            "problem in some Windows Sandbox versions; try on normal Windows. Borelu's installed "
            "files were not changed.\n");
  EXPECT_EQ(InstalledState::read(), nothing);
  EXPECT_FALSE(bootstrapper_left_behind());

  // Over an installation: the installed release stays exactly as it was.
  ASSERT_EQ(setup(nullptr).exitCode, 0u);
  const InstalledState first = InstalledState::read();
  remove_webview2_runtime();
  EXPECT_EQ(setup(L"absent-exit-0").standardError, unfinished);
  EXPECT_EQ(InstalledState::read(), first);
}

}  // namespace
}  // namespace borelu::testing

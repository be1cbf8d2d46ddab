// The whole wizard mode of the real BoreluSetup.exe, started without arguments and used from
// outside with real input, against the fixture update host: wizard, progress window, elevated
// worker, first launch, shortcuts and the final dialog, and what each way of ending leaves behind.

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <thread>

#include "core/path_text.h"
#include "dialog_reader.h"
#include "installed_state.h"
#include "process_runner.h"
#include "setup_walker.h"
#include "shell_folders.h"
#include "staged_release.h"
#include "test_prefix.h"
#include "ui_driver.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

using namespace std::chrono_literals;

constexpr int kProgressCancel = 201;
constexpr auto kRunLimit = 300s;

std::string known_folder(const KNOWNFOLDERID& id) {
  win::CoTaskMemory path;
  if (FAILED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr,
                                  reinterpret_cast<PWSTR*>(path.put())))) {
    return "";
  }
  return win::narrow(static_cast<const wchar_t*>(path.get()));
}

const std::string kDesktopLink = join_path(known_folder(FOLDERID_Desktop), "Borelu.lnk");
const std::string kStartMenuLink = join_path(known_folder(FOLDERID_Programs), "Borelu.lnk");

bool exists(const std::string& path) {
  return GetFileAttributesW(win::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string host_file(const std::string& name) {
  return win::narrow(program_path("BORELU_HOST_ROOT")) + "\\" + name;
}

std::string installed(const std::string& name) {
  return join_path(*manifest::installation_folder(), name);
}

// What every successful installation leaves: the published bytes in place and the service running.
void expect_release_installed() {
  for (const char* name : RELEASE_NAMES)
    EXPECT_EQ(file_sha256(installed(name)), file_sha256(host_file("releases\\1.4.2\\") + name));
  EXPECT_EQ(service_state(), "running");
}

// How one run of the program ended, as a person saw it.
struct SetupRun {
  DWORD exitCode = 0;
  std::vector<DialogSnapshot> dialogs;
  std::string walk;  // "" when the wizard was walked to Install
};

// What a test does while the progress window is up: given the window and the process.
using DuringProgress = std::function<void(HWND progress, ChildProcess& setup)>;

class InstallScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    remove_installation();
    set_rules("{}");
    set_installer_behaviour(nullptr);
    for (const auto& link : {kDesktopLink, kStartMenuLink})
      DeleteFileW(win::widen(link).c_str());
    DeleteFileW(win::widen(launches_).c_str());
    remove_staging_folders();
  }
  void TearDown() override {
    set_rules("{}");
    set_installer_behaviour(nullptr);
    remove_installation();
    remove_staging_folders();
  }

  static void remove_staging_folders() {
    for (const auto& stage : staging_folders())
      remove_folder(join_path(updates_folder(), stage));
  }

  static void set_rules(const std::string& rules) {
    ASSERT_TRUE(win::write_whole_file(host_file("rules.json"), rules));
  }
  // The service installer double's behaviour; the elevated worker inherits it.
  static void set_installer_behaviour(const wchar_t* behaviour) {
    SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", behaviour);
  }

  SetupRun run_setup(const WizardChoices& choices, const DuringProgress& during = {}) {
    SetupRun run;
    ChildProcess setup(L"\"" + program_path("BORELU_SETUP_EXE") + L"\"",
                       ChildProcess::Start::running);
    const auto wizard = wait_for_window(setup.pid(), L"Borelu.Setup.Wizard", 60s);
    if (!wizard) {
      run.walk = "no wizard";
      return run;
    }
    run.walk = walk_wizard(*wizard, choices);
    if (during) {
      if (const auto progress = wait_for_window(setup.pid(), L"Borelu.Progress", 60s))
        during(*progress, setup);
    }
    std::vector<HWND> seen;
    wait_until(
        [&] {
          if (auto dialog = take_dialog(setup.pid(), 0ms, &seen))
            run.dialogs.push_back(std::move(*dialog));
          return setup.ended();
        },
        kRunLimit);
    GetExitCodeProcess(setup.process(), &run.exitCode);
    return run;
  }

  // Started from the installation, in the installation folder as its current folder.
  bool launched_from_installation() const {
    return read_text(launches_).find(installed("Borelu.exe") + " started in " +
                                     *manifest::installation_folder() + "\r\n") !=
           std::string::npos;
  }

  const std::string launches_ = temp_folder("borelu-application-launches.log");
};

bool cancel_enabled(HWND progress) {
  const ControlView* cancel = read_window(progress).control(kProgressCancel);
  return cancel != nullptr && cancel->enabled;
}

TEST_F(InstallScenario, FirstInstallationInEnglishThenARepairInArabic) {
  const SetupRun english = run_setup({.startup = true});
  ASSERT_EQ(english.walk, "");
  EXPECT_EQ(english.exitCode, 0u);
  ASSERT_EQ(english.dialogs.size(), 1u);
  EXPECT_EQ(english.dialogs[0].title, "Borelu");
  EXPECT_FALSE(english.dialogs[0].rightToLeft);
  EXPECT_TRUE(english.dialogs[0].shows("Borelu is installed"));
  EXPECT_TRUE(english.dialogs[0].shows(
      "Borelu is ready. You can uninstall it from Windows Settings → Apps. Local study data is "
      "kept during uninstall."));
  expect_release_installed();
  EXPECT_EQ(read_text(installed("setup-options.json")),
            "{\"language\":\"en\",\"startup\":true,\"desktop\":false,\"startMenu\":true,"
            "\"acceptedPolicy\":\"2026-10-19\"}");
  EXPECT_TRUE(launched_from_installation()) << read_text(launches_);
  EXPECT_FALSE(exists(kDesktopLink));
  EXPECT_TRUE(exists(kStartMenuLink));
  EXPECT_TRUE(staging_folders().empty());

  // A repair with the other shortcuts: ours in the Start menu goes, one on the desktop comes.
  std::string caption;
  LONG cancel_left = -1;
  const SetupRun arabic = run_setup({.arabic = true, .desktop = true, .startMenu = false},
                                    [&](HWND progress, ChildProcess&) {
                                      const WindowView view = read_window(progress);
                                      caption = view.caption;
                                      if (const ControlView* cancel = view.control(kProgressCancel))
                                        cancel_left = cancel->rect.left;
                                    });
  EXPECT_EQ(caption, "تثبيت Borelu");
  EXPECT_EQ(cancel_left, 28);  // mirrored from logical x = 380
  EXPECT_EQ(arabic.exitCode, 0u);
  ASSERT_EQ(arabic.dialogs.size(), 1u);
  EXPECT_TRUE(arabic.dialogs[0].rightToLeft);
  EXPECT_TRUE(arabic.dialogs[0].shows("تم تثبيت Borelu"));
  EXPECT_TRUE(arabic.dialogs[0].shows("Borelu جاهز."));
  EXPECT_TRUE(exists(kDesktopLink));
  EXPECT_FALSE(exists(kStartMenuLink));
  EXPECT_TRUE(read_text(installed("setup-options.json")).starts_with("{\"language\":\"ar\""));
  EXPECT_TRUE(staging_folders().empty());
}

// The same site served by nginx (tests/fixture_host/nginx-site.conf: TLS, HTTP/2 offered, gzip
// on, cache headers): ctest runs this alone, with nginx in place of the fixture host. Setup
// installs from it with four plain GETs, each answered 200 with the published bytes.
TEST_F(InstallScenario, FromARealWebServer) {
  const SetupRun run = run_setup({});
  ASSERT_EQ(run.walk, "");
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_EQ(run.dialogs.size(), 1u);
  EXPECT_TRUE(run.dialogs[0].shows("Borelu is installed"));
  expect_release_installed();

  const std::string log = read_text(win::narrow(program_path("BORELU_NGINX_LOG")));
  std::cout << "nginx's access log:\n" << log;
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos;
       start = end + 1)
    lines.push_back(log.substr(start, end - start));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_TRUE(lines[0].starts_with("GET /updates/latest.json 200 ")) << lines[0];
  for (const std::string& line : lines) {
    EXPECT_TRUE(line.starts_with("GET /")) << line;
    EXPECT_NE(line.find(" 200 "), std::string::npos) << line;
    // Setup's agent, and no Accept-Encoding: the bodies are the published bytes.
    EXPECT_NE(line.find("\"Borelu/1 WebInstaller\" \"-\""), std::string::npos) << line;
  }
  for (const char* name : RELEASE_NAMES)
    EXPECT_NE(log.find(std::string("GET /releases/1.4.2/") + name + " 200 "), std::string::npos)
        << name;
}

TEST_F(InstallScenario, CancelDuringTheDownloadEndsSilentlyAndLeavesNoStage) {
  // The first release file stalls for a while after its first bytes.
  set_rules("{\"/releases/1.4.2/Borelu.exe\": {\"stall_after\": 4096, \"stall_seconds\": 4}}");
  bool was_cancellable = false;
  const SetupRun run = run_setup({}, [&](HWND progress, ChildProcess&) {
    std::this_thread::sleep_for(1500ms);  // well into the stalled file
    was_cancellable = cancel_enabled(progress);
    click(progress, kProgressCancel);
  });
  EXPECT_TRUE(was_cancellable);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(run.dialogs.empty());
  EXPECT_TRUE(staging_folders().empty());
  EXPECT_FALSE(exists(installed("installed-release.json")));
}

// Cancel, Escape or the close box end the process at once, even while the host stalls: the
// request in flight is given up, not waited for (a stalled read would otherwise hold the process
// for the 20 s receive time-out, a stalled answer for as long as the host likes). The bound
// below is generous; tests/benchmarks/benchmark_cancel.sh measures the time.
TEST_F(InstallScenario, ACancelEndsTheProcessAtOnceWhileTheHostStalls) {
  const std::string stalled_metadata = R"({"/updates/latest.json": {"delay_seconds": 120}})";
  const std::string stalled_file =
      R"({"/releases/1.4.2/Borelu.exe": {"stall_after": 4096, "stall_seconds": 120}})";
  const struct {
    const char* what;
    const std::string& rules;
    std::function<void(HWND)> cancel;
  } cases[] = {
      {"metadata request, Cancel", stalled_metadata,
       [](HWND progress) { click(progress, kProgressCancel); }},
      {"file body, Escape", stalled_file, [](HWND progress) { press_key(progress, VK_ESCAPE); }},
      {"file body, close box", stalled_file,
       [](HWND progress) { PostMessageW(progress, WM_CLOSE, 0, 0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    set_rules(c.rules);
    bool ended = false;
    const SetupRun run = run_setup({}, [&](HWND progress, ChildProcess& setup) {
      std::this_thread::sleep_for(1500ms);  // well into the stall
      c.cancel(progress);
      ended = wait_until([&] { return setup.ended(); }, 10s);
    });
    set_rules("{}");
    EXPECT_TRUE(ended) << "still running 10 s after the cancel";
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(run.dialogs.empty());
    EXPECT_TRUE(staging_folders().empty());
    EXPECT_FALSE(exists(installed("installed-release.json")));
  }
}

// The progress window opened at 96 DPI is told, as the system tells it when it is dragged onto
// a monitor of another scale, that it reached 144 and then 192 DPI: it takes the suggested
// rectangle, and its client area and Cancel button follow the new scale.
TEST_F(InstallScenario, TheProgressWindowFollowsADpiChange) {
  set_rules("{\"/releases/1.4.2/Borelu.exe\": {\"stall_after\": 4096, \"stall_seconds\": 8}}");
  constexpr DWORD kProgressStyle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
  struct Seen {
    UINT dpi;
    SIZE client;
    RECT cancel;
    bool placed;
  };
  std::vector<Seen> seen;
  const SetupRun run = run_setup({}, [&](HWND progress, ChildProcess&) {
    const auto look = [&](UINT dpi, const RECT* suggested) {
      const WindowView view = read_window(progress);
      const ControlView* cancel = view.control(kProgressCancel);
      seen.push_back({dpi, view.client, cancel != nullptr ? cancel->rect : RECT{},
                      suggested == nullptr || EqualRect(&view.outer, suggested) != FALSE});
    };
    look(96, nullptr);
    for (const UINT dpi : {144u, 192u}) {
      // The system suggests the new client size with the frame of the new DPI. Wine keeps the
      // window's frame at the DPI it has (the message comes from here, not from a monitor), so
      // the frame is measured at that DPI: the client area is then what Windows would give.
      const float scale = static_cast<float>(dpi) / 96.0f;
      RECT suggested{0, 0, static_cast<LONG>(520 * scale), static_cast<LONG>(232 * scale)};
      AdjustWindowRectExForDpi(&suggested, kProgressStyle, FALSE, 0, GetDpiForWindow(progress));
      OffsetRect(&suggested, 40 - suggested.left, 30 - suggested.top);
      if (!send_dpi_changed(progress, dpi, suggested)) {
        return;
      }
      look(dpi, &suggested);
    }
    click(progress, kProgressCancel);
  });
  for (const Seen& s : seen) {
    std::cout << "progress window at " << s.dpi << " DPI: client " << s.client.cx << " x "
              << s.client.cy << ", Cancel at (" << s.cancel.left << ", " << s.cancel.top << ") "
              << s.cancel.right - s.cancel.left << " x " << s.cancel.bottom - s.cancel.top << "\n";
  }
  ASSERT_EQ(seen.size(), 3u);
  const struct {
    SIZE client;
    RECT cancel;
  } expected[] = {{{520, 232}, {380, 178, 492, 216}},
                  {{780, 348}, {570, 267, 738, 324}},
                  {{1040, 464}, {760, 356, 984, 432}}};
  for (std::size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(seen[i].dpi);
    EXPECT_EQ(seen[i].client.cx, expected[i].client.cx);
    EXPECT_EQ(seen[i].client.cy, expected[i].client.cy);
    EXPECT_TRUE(EqualRect(&seen[i].cancel, &expected[i].cancel));
    EXPECT_TRUE(seen[i].placed);
  }
  EXPECT_EQ(run.exitCode, 1u);  // cancelled at 192 DPI: the window still answers
  EXPECT_TRUE(run.dialogs.empty());
}

TEST_F(InstallScenario, ClosingTheWindowWhileTheWorkerRunsNeitherStopsNorReportsIt) {
  set_installer_behaviour(L"slow");
  bool greyed = false;
  bool stayed_open = false;
  const SetupRun run = run_setup({}, [&](HWND progress, ChildProcess&) {
    // Once Windows is asked for elevation the run can no longer be cancelled: Cancel greys and
    // the close box is refused.
    greyed = wait_until([&] { return !cancel_enabled(progress); }, 60s);
    PostMessageW(progress, WM_CLOSE, 0, 0);
    press_key(progress, VK_ESCAPE);
    std::this_thread::sleep_for(500ms);
    stayed_open = IsWindow(progress) && IsWindowVisible(progress);
    // Gone without a result (as when Windows takes the window away): the run ends as cancelled.
    SendMessageTimeoutW(progress, WM_DESTROY, 0, 0, SMTO_BLOCK, 5000, nullptr);
  });
  EXPECT_TRUE(greyed);
  EXPECT_TRUE(stayed_open);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_TRUE(run.dialogs.empty());
  // The worker was waited for and finished the installation.
  EXPECT_EQ(file_sha256(installed("Borelu.exe")),
            file_sha256(host_file("releases\\1.4.2\\Borelu.exe")));
  EXPECT_TRUE(exists(installed("installed-release.json")));
}

TEST_F(InstallScenario, FailuresAreExplainedAndKeepWhatWasThere) {
  ASSERT_EQ(run_setup({}).exitCode, 0u);
  const InstalledState before = InstalledState::read();

  // The service installer fails: the worker's own message reaches the dialog, nothing changed.
  set_installer_behaviour(L"silent-failure");
  const SetupRun failed = run_setup({});
  set_installer_behaviour(nullptr);
  EXPECT_EQ(failed.exitCode, 1u);
  ASSERT_EQ(failed.dialogs.size(), 1u);
  // The worker's own message, as its failure record holds it, is the technical detail.
  const std::string record =
      read_text(join_path(*manifest::maintenance_folder_path(), "last-install-error.json"));
  const auto message_at = record.find("\"message\":\"");
  ASSERT_NE(message_at, std::string::npos) << record;
  const std::string message =
      record.substr(message_at + 11, record.find("\",\"workerPid\"") - message_at - 11);
  EXPECT_TRUE(message.starts_with("Borelu service installation failed (exit 1).")) << message;
  EXPECT_TRUE(failed.dialogs[0].shows(message)) << message;
  EXPECT_EQ(InstalledState::read(), before);

  // Borelu is running: nothing is downloaded.
  {
    ChildProcess borelu(L"\"" + win::widen(installed("Borelu.exe")) + L"\" --run-for 60000");
    const std::string requests = host_file("..\\requests.log");
    const std::size_t asked = read_text(requests).size();
    const SetupRun refused = run_setup({});
    EXPECT_EQ(refused.exitCode, 1u);
    ASSERT_EQ(refused.dialogs.size(), 1u);
    EXPECT_TRUE(refused.dialogs[0].shows("Borelu is still running"));
    EXPECT_TRUE(refused.dialogs[0].shows(
        "Choose Quit from Borelu's tray icon before installing or repairing the app."));
    EXPECT_EQ(read_text(requests).size(), asked);
  }

  // A file changed on the host: refused after its read-back, nothing left staged. The failed
  // worker's stage stayed; the next run, at its start, removes it.
  EXPECT_EQ(staging_folders().size(), 1u);
  set_rules("{\"/releases/1.4.2/Borelu.exe\": {\"corrupt\": 2000}}");
  const SetupRun tampered = run_setup({});
  set_rules("{}");
  EXPECT_EQ(tampered.exitCode, 1u);
  ASSERT_EQ(tampered.dialogs.size(), 1u);
  EXPECT_TRUE(tampered.dialogs[0].shows("The downloaded files could not be verified"));
  EXPECT_TRUE(tampered.dialogs[0].shows("Borelu.exe failed SHA-256/size verification."));
  EXPECT_TRUE(staging_folders().empty());
  EXPECT_EQ(InstalledState::read(), before);
}

// A user whose local application data, Desktop and Start menu folders have Arabic letters,
// spaces and an apostrophe in their paths (Windows keeps them in the user's "User Shell Folders";
// a real profile gives LOCALAPPDATA the same): the stage in such a folder on the worker's command
// line, its removal after the installation, both shortcuts, and the failure record's message
// after a failing installer.
TEST_F(InstallScenario, AProfileWhosePathsHaveArabicLettersSpacesAndAnApostrophe) {
  const std::string profile = temp_folder("مستخدم O'Brien");
  const std::string local = join_path(profile, "بيانات التطبيقات المحلية");
  const std::string desktop = join_path(profile, "سطح المكتب");
  const std::string programs = join_path(profile, "قائمة ابدأ\\البرامج");
  ASSERT_TRUE(win::create_directories(local));
  ASSERT_TRUE(win::create_directories(desktop));
  wchar_t saved_local[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"LOCALAPPDATA", saved_local, MAX_PATH), 0u);
  {
    RedirectedShellFolder local_folder(L"Local AppData");
    RedirectedShellFolder desktop_folder(L"Desktop");
    RedirectedShellFolder programs_folder(L"Programs");
    local_folder.point_to(local);
    desktop_folder.point_to(desktop);
    programs_folder.point_to(programs);
    SetEnvironmentVariableW(L"LOCALAPPDATA", win::widen(local).c_str());  // Setup inherits it
    ASSERT_EQ(known_folder(FOLDERID_Desktop), desktop);
    ASSERT_EQ(known_folder(FOLDERID_Programs), programs);
    ASSERT_EQ(updates_folder(), local + "\\BoreluTauri\\updates");

    const SetupRun installed_run = run_setup({.desktop = true, .startMenu = true});
    EXPECT_EQ(installed_run.walk, "");
    EXPECT_EQ(installed_run.exitCode, 0u);
    ASSERT_EQ(installed_run.dialogs.size(), 1u);
    EXPECT_TRUE(installed_run.dialogs[0].shows("Borelu is installed"));
    for (const char* name : RELEASE_NAMES)
      EXPECT_EQ(file_sha256(installed(name)), file_sha256(host_file("releases\\1.4.2\\") + name));
    EXPECT_TRUE(exists(join_path(desktop, "Borelu.lnk")));
    EXPECT_TRUE(exists(join_path(programs, "Borelu.lnk")));
    EXPECT_TRUE(launched_from_installation()) << read_text(launches_);
    EXPECT_TRUE(exists(updates_folder()));
    EXPECT_TRUE(staging_folders().empty());

    // The installer fails with a message of its own in Arabic: the record carries it, and the
    // dialog shows it.
    set_installer_behaviour(L"arabic-failure");
    const SetupRun failed = run_setup({.desktop = true, .startMenu = true});
    set_installer_behaviour(nullptr);
    const std::string message =
        "Borelu service installation failed (exit 3). تعذّر تشغيل الخدمة 'BoreluBlocking'. The "
        "previous version will be restored.";
    EXPECT_EQ(failed.exitCode, 1u);
    ASSERT_EQ(failed.dialogs.size(), 1u);
    const std::string record =
        read_text(join_path(*manifest::maintenance_folder_path(), "last-install-error.json"));
    EXPECT_NE(record.find("\"message\":\"" + message + "\""), std::string::npos) << record;
    EXPECT_TRUE(failed.dialogs[0].shows(message)) << message;
    EXPECT_EQ(staging_folders().size(), 1u);  // a failed installation keeps its stage

    SetEnvironmentVariableW(L"LOCALAPPDATA", saved_local);
  }
  std::error_code ignored;
  std::filesystem::remove_all(win::widen(profile), ignored);
}

TEST_F(InstallScenario, AForeignDesktopShortcutIsKeptAndReported) {
  // A "Borelu.lnk" of another program, made through the shell as any program would make it.
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    win::ComPtr<IShellLinkW> link;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, link.put_void())));
    link->SetPath(L"C:\\windows\\notepad.exe");
    win::ComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put_void())));
    ASSERT_TRUE(SUCCEEDED(file->Save(win::widen(kDesktopLink).c_str(), TRUE)));
  }
  CoUninitialize();
  const std::string foreign = file_sha256(kDesktopLink);

  const SetupRun run = run_setup({.desktop = true});
  EXPECT_EQ(run.exitCode, 1u);
  ASSERT_EQ(run.dialogs.size(), 1u);
  EXPECT_TRUE(run.dialogs[0].shows(
      "Borelu is installed, but its shortcuts could not be configured: A different shortcut named "
      "Borelu already exists. It was kept. You can open Borelu.exe in the installation folder."));
  EXPECT_EQ(file_sha256(kDesktopLink), foreign);
  EXPECT_TRUE(exists(installed("installed-release.json")));  // the installation stays
  EXPECT_EQ(staging_folders().size(), 1u);                   // and so does its stage
  DeleteFileW(win::widen(kDesktopLink).c_str());
}

}  // namespace
}  // namespace borelu::testing

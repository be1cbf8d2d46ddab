// Walks a whole wizard-mode installation of BoreluSetup.exe from outside, as a person would, with
// real input, and reports what the person saw:
//   drive_setup SETUP.exe [--arabic] [--startup] [--desktop] [--no-start-menu] [--shots FOLDER]
//               [--timings]
// It starts the program without arguments, walks the wizard, watches the progress window while
// the release downloads and while it installs, then reads the final dialog and answers it. With
// --shots it saves what the screen shows of each stage as FOLDER\NN-stage.bmp, and at the end
// what the shell shows of the user's Desktop and Start menu programs folders (the file dialog
// opened there, the shortcut's whole path in its name box). It prints the
// dialog's texts and the program's exit code, and exits with that code. With --timings it also
// prints how long the download, the worker and the finish took, seen from outside (Install
// clicked; Cancel greyed, as the verified download hands over to Windows; the installed
// application's first start, as the worker has ended; the final dialog), and how quickly the
// progress window answered messages during the download: a window message sent every few
// milliseconds waits for whatever else the window's thread is doing, so the slowest answer bounds
// the longest pause in its 16 ms timer.

#include <windows.h>
#include <commdlg.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "control_bench.h"
#include "dialog_reader.h"
#include "process_runner.h"
#include "screen_reader.h"
#include "setup_walker.h"
#include "ui/catalogue.h"
#include "ui_driver.h"
#include "win/handles.h"
#include "win/text.h"
#include "win/timeline.h"

namespace {

using namespace borelu::testing;
using namespace std::chrono_literals;

constexpr int kProgressCancel = 201;
constexpr int kFileName = 0x47c;  // the file dialog's name box (cmb13 of dlgs.h)
using Clock = std::chrono::steady_clock;

double seconds_between(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// The line the installed application double leaves when setup starts it.
bool application_started() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  return GetFileAttributesW((std::wstring(temp) + L"borelu-application-launches.log").c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

struct Probe {
  int answers = 0;
  double slowest_ms = 0;
  // One window message there and back.
  void once(HWND window) {
    const auto sent = Clock::now();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) != 0) {
      ++answers;
      slowest_ms = std::max(slowest_ms, seconds_between(sent, Clock::now()) * 1000);
    }
  }
};

class Shots {
 public:
  explicit Shots(std::wstring folder) : folder_(std::move(folder)) {}
  [[nodiscard]] bool wanted() const { return !folder_.empty(); }
  void take(HWND window, const std::wstring& stage) {
    if (folder_.empty() || window == nullptr)
      return;
    park_pointer();
    std::this_thread::sleep_for(300ms);  // let the last paint land
    ++count_;
    const std::wstring number = (count_ < 10 ? L"0" : L"") + std::to_wstring(count_);
    if (const auto image = capture_client(window))
      image->write_bmp(folder_ + L"\\" + number + L"-" + stage + L".bmp");
  }

 private:
  std::wstring folder_;
  int count_ = 0;
};

// The shell's view of one of the user's shortcut folders: the file dialog opened there (on a
// thread of its own, as it is modal), with the shortcut's whole path in its name box.
void shoot_shortcut_folder(Shots& shots, const KNOWNFOLDERID& id, const std::wstring& stage) {
  borelu::win::CoTaskMemory path;
  if (FAILED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr,
                                  reinterpret_cast<PWSTR*>(path.put())))) {
    return;
  }
  const std::wstring folder = static_cast<const wchar_t*>(path.get());
  std::wstring name = folder + L"\\Borelu.lnk";
  name.resize(32768, L'\0');
  std::thread dialog([&] {
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.lpstrFile = name.data();
    open.nMaxFile = static_cast<DWORD>(name.size());
    open.lpstrInitialDir = folder.c_str();
    open.Flags = OFN_EXPLORER | OFN_NODEREFERENCELINKS | OFN_ENABLESIZING;
    GetOpenFileNameW(&open);
  });
  if (const auto shown = wait_for_window(GetCurrentProcessId(), L"#32770", 20s)) {
    // Wide enough for the whole path in the name box.
    RECT outer{};
    GetWindowRect(*shown, &outer);
    SetWindowPos(*shown, nullptr, 0, 0, outer.right - outer.left + 120, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    std::this_thread::sleep_for(1s);  // the folder's items and icons are listed
    // The dialog shortens the name to "Borelu.lnk": the whole path goes back into the box.
    SetDlgItemTextW(*shown, kFileName, (folder + L"\\Borelu.lnk").c_str());
    std::this_thread::sleep_for(300ms);
    shots.take(*shown, stage);
    PostMessageW(*shown, WM_COMMAND, IDCANCEL, 0);
  }
  dialog.join();
}

// Asked every 20 ms while the release downloads: two cheap questions about window state, not a
// reading of the whole window, so that watching costs the program little of the two cores.
bool cancel_enabled(HWND progress) {
  const HWND cancel = GetDlgItem(progress, kProgressCancel);
  return cancel != nullptr && IsWindowEnabled(cancel) != FALSE;
}

// Whether the progress window's status line, as a screen reader reads it, says that the release
// is being installed, in either language.
bool shows_installing(HWND progress) {
  const auto tree = read_accessible_tree(progress);
  if (!tree || tree->children.empty()) {
    return false;
  }
  const std::string& status = tree->children[0].name;
  return status == borelu::ui::text::kInstalling.english ||
         status == borelu::ui::text::kInstalling.arabic;
}

int drive(const std::wstring& setup, const WizardChoices& choices, Shots& shots, bool timings) {
  ChildProcess process(L"\"" + setup + L"\"", ChildProcess::Start::running);
  const auto wizard = wait_for_window(process.pid(), L"Borelu.Setup.Wizard", 60s);
  if (!wizard) {
    std::fputs("The wizard did not appear.\n", stderr);
    return 1;
  }
  std::printf("wizard: %s\n", read_window(*wizard).caption.c_str());
  const std::string walked = walk_wizard(*wizard, choices, [&](int page) {
    shots.take(*wizard, L"wizard-page" + std::to_wstring(page));
  });
  if (!walked.empty()) {
    std::fprintf(stderr, "The wizard walk stopped: %s\n", walked.c_str());
    return 1;
  }
  borelu::win::timeline::at("Install clicked");
  std::puts("wizard: Install chosen");
  const auto installing = Clock::now();
  Clock::time_point verified{};
  Clock::time_point launched{};
  Probe probe;

  if (const auto progress = wait_for_window(process.pid(), L"Borelu.Progress", 60s)) {
    std::printf("progress window: %s\n", read_window(*progress).caption.c_str());
    if (cancel_enabled(*progress))
      shots.take(*progress, L"progress-download");
    // The Cancel button greys once the download is verified and Windows is asked for elevation.
    wait_until(
        [&] {
          if (timings && IsWindow(*progress))
            probe.once(*progress);
          return !IsWindow(*progress) || !cancel_enabled(*progress);
        },
        300s);
    verified = Clock::now();
    if (shots.wanted() &&
        wait_until([&] { return !IsWindow(*progress) || shows_installing(*progress); }, 60s) &&
        IsWindow(*progress)) {
      std::this_thread::sleep_for(700ms);  // the bar eases to its target
      shots.take(*progress, L"progress-installing");
    }
  }

  HWND dialog = nullptr;
  wait_until(
      [&] {
        if (launched == Clock::time_point{} && application_started())
          launched = Clock::now();
        dialog = wait_for_window(process.pid(), L"#32770", 0ms).value_or(nullptr);
        return dialog != nullptr || process.ended();
      },
      900s);
  const auto finished = Clock::now();
  if (dialog != nullptr)
    borelu::win::timeline::at("dialog seen");
  if (timings && launched != Clock::time_point{}) {
    std::printf(
        "timings: download %.2f s, worker %.2f s, finish %.2f s, Install to dialog %.2f s\n",
        seconds_between(installing, verified), seconds_between(verified, launched),
        seconds_between(launched, finished), seconds_between(installing, finished));
    std::printf("progress window during the download: %d messages answered, slowest %.1f ms\n",
                probe.answers, probe.slowest_ms);
  }
  if (dialog != nullptr) {
    // The task dialog lays itself out after it appears; its OK button comes last.
    wait_until([&] { return read_window(dialog).control(IDOK) != nullptr; }, 10s);
    std::this_thread::sleep_for(800ms);
    shots.take(dialog, L"dialog");
    if (const auto snapshot = take_dialog(process.pid(), 5s)) {
      std::printf("dialog: %s%s\n", snapshot->title.c_str(),
                  snapshot->rightToLeft ? " (right to left)" : "");
      for (const auto& text : snapshot->texts)
        std::printf("  %s\n", text.c_str());
    }
  }
  wait_until([&] { return process.ended(); }, 60s);
  DWORD code = 1;
  GetExitCodeProcess(process.process(), &code);
  if (code == 0 && shots.wanted()) {
    shoot_shortcut_folder(shots, FOLDERID_Desktop, L"shortcut-desktop");
    shoot_shortcut_folder(shots, FOLDERID_Programs, L"shortcut-start-menu");
  }
  std::printf("exit code: %lu\n", code);
  return static_cast<int>(code);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs(
        "usage: drive_setup SETUP.exe [--arabic] [--startup] [--desktop] [--no-start-menu] "
        "[--shots FOLDER] [--timings]\n",
        stderr);
    return 2;
  }
  WizardChoices choices;
  std::wstring folder;
  bool timings = false;
  for (int i = 2; i < argc; ++i) {
    const std::wstring_view option = argv[i];
    if (option == L"--arabic")
      choices.arabic = true;
    else if (option == L"--startup")
      choices.startup = true;
    else if (option == L"--desktop")
      choices.desktop = true;
    else if (option == L"--no-start-menu")
      choices.startMenu = false;
    else if (option == L"--timings")
      timings = true;
    else if (option == L"--shots" && i + 1 < argc)
      folder = argv[++i];
    else
      return 2;
  }
  Shots shots(folder);
  if (shots.wanted()) {
    // A small test release installs in well under a second: the installer double takes its time,
    // so that the installing stage is still on the screen when its shot is taken.
    SetEnvironmentVariableW(L"BORELU_TEST_INSTALLER", L"slow");
  }
  return drive(argv[1], choices, shots, timings);
}

// How long BoreluSetup.exe lives after the person cancels: it starts the program without
// arguments, walks the wizard to Install, waits until the progress window has been up for a
// while (the host stalls meanwhile, as the calling script arranges), presses Cancel and times the
// moment the process has ended, seen from outside:
//   cancel_benchmark SETUP.exe [WAIT_MILLISECONDS]
// It prints "cancel to exit: SECONDS s, exit code N" and exits 0, or 1 when the walk failed.
//   cancel_benchmark --destroy-floor
// times what closing any window costs on this display: a window of the progress window's style
// shown and destroyed (under Wine on a display without a window manager, Wine's X11 driver waits
// for one to take the window down before DestroyWindow returns). It prints "destroy floor:
// SECONDS s".

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>
#include <thread>

#include "process_runner.h"
#include "setup_walker.h"
#include "ui_driver.h"

namespace {

using namespace borelu::testing;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kProgressCancel = 201;

double destroy_floor() {
  WNDCLASSW plain{};
  plain.lpfnWndProc = DefWindowProcW;
  plain.hInstance = GetModuleHandleW(nullptr);
  plain.lpszClassName = L"Borelu.Benchmark.Plain";
  RegisterClassW(&plain);
  const HWND window = CreateWindowExW(0, plain.lpszClassName, L"plain", 0x02C80000, 40, 40, 520,
                                      232, nullptr, nullptr, plain.hInstance, nullptr);
  ShowWindow(window, SW_SHOW);
  for (const auto until = Clock::now() + 700ms; Clock::now() < until;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
    std::this_thread::sleep_for(10ms);
  }
  const auto start = Clock::now();
  DestroyWindow(window);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring_view(argv[1]) == L"--destroy-floor") {
    std::printf("destroy floor: %.3f s\n", destroy_floor());
    return 0;
  }
  if (argc < 2) {
    std::fputs("usage: cancel_benchmark SETUP.exe [WAIT_MILLISECONDS]\n", stderr);
    return 2;
  }
  const auto wait = std::chrono::milliseconds(argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 1500);
  ChildProcess setup(L"\"" + std::wstring(argv[1]) + L"\"", ChildProcess::Start::running);
  const auto wizard = wait_for_window(setup.pid(), L"Borelu.Setup.Wizard", 60s);
  if (!wizard || !walk_wizard(*wizard, {}).empty()) {
    std::fputs("The wizard could not be walked to Install.\n", stderr);
    return 1;
  }
  const auto progress = wait_for_window(setup.pid(), L"Borelu.Progress", 60s);
  if (!progress) {
    std::fputs("The progress window did not appear.\n", stderr);
    return 1;
  }
  std::this_thread::sleep_for(wait);
  if (setup.ended()) {
    std::fputs("The run ended before the cancel: is the host stalling?\n", stderr);
    return 1;
  }
  const auto cancelled = Clock::now();
  click(*progress, kProgressCancel);
  WaitForSingleObject(setup.process(), 600000);
  const double seconds = std::chrono::duration<double>(Clock::now() - cancelled).count();
  DWORD code = 0;
  GetExitCodeProcess(setup.process(), &code);
  std::printf("cancel to exit: %.3f s, exit code %lu\n", seconds, code);
  return 0;
}

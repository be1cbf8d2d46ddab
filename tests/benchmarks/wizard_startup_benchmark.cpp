// Time from process start to the first painted window, watched from outside on the screen:
// BoreluSetup.exe's wizard (its first step mark shows the accent colour) beside the smallest
// Win32 program with a window (its client area shows its background colour), alternately in the
// same run. Run by tests/benchmarks/benchmark_wizard_startup.sh; prints the times, asserts nothing.
//   borelu_wizard_startup_benchmark RUNS EMPTY.exe SETUP.exe [SETUP.exe...]

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "process_runner.h"
#include "theme/palette.h"
#include "win/text.h"
#include "win/timeline.h"

namespace {

using namespace borelu;
using Clock = std::chrono::steady_clock;

struct Program {
  std::string name;
  std::wstring path;
  const wchar_t* window_class;
  POINT probe;  // a client point the first paint gives `colour`
  theme::Colour colour;
  std::vector<double> window_ms;
  std::vector<double> painted_ms;
};

struct Found {
  DWORD pid;
  const wchar_t* window_class;
  HWND window = nullptr;
};

BOOL CALLBACK find(HWND window, LPARAM parameter) {
  auto* found = reinterpret_cast<Found*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (pid == found->pid && IsWindowVisible(window) && std::wstring(name) == found->window_class) {
    found->window = window;
    return FALSE;
  }
  return TRUE;
}

theme::Colour screen_colour(HWND window, POINT client_point) {
  ClientToScreen(window, &client_point);
  const HDC screen = GetDC(nullptr);
  const COLORREF pixel = GetPixel(screen, client_point.x, client_point.y);
  ReleaseDC(nullptr, screen);
  return theme::Colour{static_cast<std::uint32_t>(GetRValue(pixel)) << 16 |
                       static_cast<std::uint32_t>(GetGValue(pixel)) << 8 | GetBValue(pixel)};
}

double since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool time_once(Program& program) {
  const auto start = Clock::now();
  win::timeline::at("process created");
  testing::ChildProcess process(L"\"" + program.path + L"\"",
                                testing::ChildProcess::Start::running);
  Found found{process.pid(), program.window_class};
  double window_ms = -1;
  while (since(start) < 30000) {
    if (found.window == nullptr) {
      EnumWindows(find, reinterpret_cast<LPARAM>(&found));
      if (found.window != nullptr) {
        window_ms = since(start);
      }
    }
    if (found.window != nullptr && screen_colour(found.window, program.probe) == program.colour) {
      program.window_ms.push_back(window_ms);
      program.painted_ms.push_back(since(start));
      PostMessageW(found.window, WM_CLOSE, 0, 0);
      WaitForSingleObject(process.process(), 10000);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

double median(std::vector<double> values) {
  std::ranges::sort(values);
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fputs("usage: borelu_wizard_startup_benchmark RUNS EMPTY.exe SETUP.exe [SETUP.exe...]\n",
               stderr);
    return 2;
  }
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  const auto file_name = [](const std::wstring& path) {
    return win::narrow(path.substr(path.find_last_of(L"\\/") + 1));
  };
  std::vector<Program> programs;
  programs.push_back({file_name(argv[2]),
                      argv[2],
                      L"Borelu.Benchmark.EmptyWindow",
                      {360, 290},
                      theme::palette::Accent,
                      {},
                      {}});
  for (int i = 3; i < argc; ++i) {
    // The wizard's first step mark at 100%: logical (530, 40, 34, 5).
    programs.push_back({file_name(argv[i]),
                        argv[i],
                        L"Borelu.Setup.Wizard",
                        {547, 42},
                        theme::palette::Accent,
                        {},
                        {}});
  }
  const int runs = std::stoi(argv[1]);
  for (int run = 0; run < runs; ++run) {
    for (Program& program : programs) {
      if (!time_once(program)) {
        std::fprintf(stderr, "%s: no painted window within 30 s\n", program.name.c_str());
        return 1;
      }
    }
  }
  std::printf("%-32s %13s %14s %10s %10s   (%d runs each, in turn)\n", "program", "window (med)",
              "painted (med)", "min", "max", runs);
  for (const Program& p : programs) {
    std::printf("%-32s %10.1f ms %11.1f ms %7.1f ms %7.1f ms\n", p.name.c_str(),
                median(p.window_ms), median(p.painted_ms), *std::ranges::min_element(p.painted_ms),
                *std::ranges::max_element(p.painted_ms));
  }
  return 0;
}

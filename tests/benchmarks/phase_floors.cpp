// The floors of an installation's phases that are Wine's own, for
// tests/benchmarks/benchmark_timeline.sh:
//   borelu_phase_floors process PROGRAM.exe   one process created and waited for (the smallest
//                                             program: what starting the worker or Borelu costs)
//   borelu_phase_floors elevated PROGRAM.exe  the same started through ShellExecuteExW's "runas"
//                                             verb in a COM apartment, as Setup starts its worker
//   borelu_phase_floors window-closed         one top-level window with a caption, shown, then
//                                             destroyed: the time DestroyWindow takes (what
//                                             closing the wizard and the progress window costs)
//   borelu_phase_floors task-dialog           one task dialog of common controls 6 with an OK
//                                             button, from the call until it is created, then
//                                             closed (what the success dialog costs)
//   borelu_phase_floors first-paint [com]     one top-level window of the wizard's style and
//                                             size created, shown and painted once, timed from
//                                             the start of wmain; with "com" the thread first
//                                             enters a single-threaded COM apartment, as the
//                                             wizard does, and that call is timed on its own too
//                                             ("floor com-apartment"). Run once per process:
//                                             only the first window and the first apartment of
//                                             a process pay what Wine loads for them.
// Prints "floor NAME SECONDS".

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

int process_floor(const wchar_t* program) {
  std::wstring command_line = L"\"" + std::wstring(program) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const auto start = Clock::now();
  if (!CreateProcessW(program, command_line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &info)) {
    std::printf("failed to start %ls: %lu\n", program, GetLastError());
    return 1;
  }
  WaitForSingleObject(info.hProcess, INFINITE);
  const double seconds = seconds_since(start);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  std::printf("floor process %.4f\n", seconds);
  return 0;
}

int elevated_floor(const wchar_t* program) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"runas";
  info.lpFile = program;
  info.nShow = SW_HIDE;
  const auto start = Clock::now();
  const BOOL started = ShellExecuteExW(&info);
  if (SUCCEEDED(com)) {
    CoUninitialize();
  }
  if (!started || info.hProcess == nullptr) {
    std::printf("failed to start %ls: %lu\n", program, GetLastError());
    return 1;
  }
  WaitForSingleObject(info.hProcess, INFINITE);
  const double seconds = seconds_since(start);
  CloseHandle(info.hProcess);
  std::printf("floor elevated %.4f\n", seconds);
  return 0;
}

int window_closed_floor() {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hbrBackground = CreateSolidBrush(RGB(0x20, 0x20, 0x20));
  window_class.lpszClassName = L"Borelu.Benchmark.Closed";
  RegisterClassW(&window_class);
  const HWND window = CreateWindowExW(0, window_class.lpszClassName, L"Closed",
                                      WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 540,
                                      270, nullptr, nullptr, window_class.hInstance, nullptr);
  if (window == nullptr) {
    std::printf("no window: %lu\n", GetLastError());
    return 1;
  }
  ShowWindow(window, SW_SHOW);
  // Shown and painted, as a window the user has seen.
  const auto shown = Clock::now();
  MSG message;
  while (seconds_since(shown) < 0.5) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
  const auto start = Clock::now();
  DestroyWindow(window);
  std::printf("floor window-closed %.4f\n", seconds_since(start));
  return 0;
}

struct DialogClock {
  Clock::time_point start;
  double created = -1;
};

HRESULT CALLBACK on_notification(HWND dialog, UINT notification, WPARAM, LPARAM,
                                 LONG_PTR reference) {
  if (notification == TDN_CREATED) {
    auto& clock = *reinterpret_cast<DialogClock*>(reference);
    clock.created = seconds_since(clock.start);
    PostMessageW(dialog, TDM_CLICK_BUTTON, IDOK, 0);
  }
  return S_OK;
}

int task_dialog_floor() {
  DialogClock clock{Clock::now()};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.dwCommonButtons = TDCBF_OK_BUTTON;
  config.pszWindowTitle = L"Borelu Setup";
  config.pszMainIcon = TD_INFORMATION_ICON;
  config.pszMainInstruction = L"Borelu is installed";
  config.pszContent = L"You can open Borelu from the Start menu.";
  config.pfCallback = on_notification;
  config.lpCallbackData = reinterpret_cast<LONG_PTR>(&clock);
  if (FAILED(TaskDialogIndirect(&config, nullptr, nullptr, nullptr)) || clock.created < 0) {
    std::printf("the task dialog did not open\n");
    return 1;
  }
  std::printf("floor task-dialog %.4f\n", clock.created);
  return 0;
}

LRESULT CALLBACK painted_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    FillRect(paint.hdc, &paint.rcPaint, GetSysColorBrush(COLOR_WINDOW));
    EndPaint(window, &paint);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

int first_paint_floor(Clock::time_point start, bool com) {
  if (com) {
    const auto entering = Clock::now();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
      std::printf("no COM apartment\n");
      return 1;
    }
    std::printf("floor com-apartment %.4f\n", seconds_since(entering));
  }
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = painted_procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = L"Borelu.Benchmark.FirstPaint";
  RegisterClassW(&window_class);
  constexpr DWORD kStyle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT outer{0, 0, 720, 580};
  AdjustWindowRect(&outer, kStyle, FALSE);
  const HWND window =
      CreateWindowExW(0, window_class.lpszClassName, L"First paint", kStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                      nullptr, window_class.hInstance, nullptr);
  if (window == nullptr) {
    std::printf("no window: %lu\n", GetLastError());
    return 1;
  }
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    DispatchMessageW(&message);
  }
  std::printf("floor %s %.4f\n", com ? "first-paint-com" : "first-paint", seconds_since(start));
  DestroyWindow(window);
  if (com) {
    CoUninitialize();
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const auto start = Clock::now();
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"process" && argc == 3) {
    return process_floor(argv[2]);
  }
  if (mode == L"elevated" && argc == 3) {
    return elevated_floor(argv[2]);
  }
  if (mode == L"window-closed" && argc == 2) {
    return window_closed_floor();
  }
  if (mode == L"task-dialog" && argc == 2) {
    return task_dialog_floor();
  }
  if (mode == L"first-paint" && (argc == 2 || (argc == 3 && std::wstring(argv[2]) == L"com"))) {
    return first_paint_floor(start, argc == 3);
  }
  std::printf(
      "usage: borelu_phase_floors process|elevated PROGRAM.exe | window-closed | task-dialog | "
      "first-paint [com]\n");
  return 2;
}

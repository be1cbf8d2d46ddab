// The smallest Win32 program with a window: one class whose background brush paints the whole
// client area, one window of the wizard's style and size, and the message loop. The peer that
// tests/benchmarks/benchmark_wizard_startup.sh times BoreluSetup.exe against.

#include <windows.h>

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = CreateSolidBrush(RGB(0xA9, 0xD7, 0xB2));
  window_class.lpszClassName = L"Borelu.Benchmark.EmptyWindow";
  RegisterClassW(&window_class);
  constexpr DWORD kStyle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT outer{0, 0, 720, 580};
  AdjustWindowRect(&outer, kStyle, FALSE);
  const HWND window = CreateWindowExW(
      0, window_class.lpszClassName, L"Empty", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
      outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

// The program's own button under real mouse and keyboard input: what clicks, what does not, and
// the pushed look while a press lasts. Pointer positions are relative to the button's top-left
// corner; those above and left of it arrive as negative client coordinates while it holds the
// pointer.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "control_bench.h"
#include "ui/window/owner_drawn_button.h"
#include "win/window.h"

namespace borelu::ui {
namespace {

constexpr int kButton = 101;
int g_clicks = 0;
bool g_drawn_pushed = false;

LRESULT CALLBACK host_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && LOWORD(wparam) == kButton && HIWORD(wparam) == BN_CLICKED) {
    ++g_clicks;
    return 0;
  }
  if (message == WM_DRAWITEM) {
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    g_drawn_pushed = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    return TRUE;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// Lets the input reach the window and every paint it causes be drawn.
void settle() {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(80);
  while (std::chrono::steady_clock::now() < until) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void send_mouse(DWORD flags, POINT at = {}) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  if ((flags & MOUSEEVENTF_MOVE) != 0) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = static_cast<LONG>((at.x * 65535 + width / 2) / (width - 1));
    input.mi.dy = static_cast<LONG>((at.y * 65535 + height / 2) / (height - 1));
    input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
  }
  SendInput(1, &input, sizeof input);
  settle();
}

void send_key(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
  settle();
}

TEST(OwnerDrawnButton, ClicksWhenReleasedOverItAndLooksPushedWhileHeldThere) {
  const win::Window host =
      testing::host_window(L"Borelu.Test.ButtonHost", host_proc, 100, 100, 400, 200);
  ASSERT_TRUE(host);
  const HWND button = create_owner_drawn_button({.parent = host.get(),
                                                 .id = kButton,
                                                 .text = L"Next",
                                                 .rect = {100, 50, 250, 94},
                                                 .font = nullptr,
                                                 .access = nullptr});
  ASSERT_NE(button, nullptr);
  SetForegroundWindow(host.get());
  settle();
  RECT on_screen{};
  GetWindowRect(button, &on_screen);

  enum Step { inside, left_of_it, above_it, down, up, space_down, space_up };
  const struct {
    std::string what;
    std::vector<Step> steps;
    std::string pushed;  // the look drawn last after each step: '1' pushed, '0' not, '-' any
    int clicks;
  } rows[] = {
      {"a click", {inside, down, up}, "-10", 1},
      {"released left of it", {inside, down, left_of_it, up}, "-100", 0},
      {"dragged above it and back", {inside, down, above_it, inside, up}, "-1010", 1},
      {"Space with the focus on it", {space_down, space_up}, "10", 1},
  };
  for (const auto& row : rows) {
    g_clicks = 0;
    std::string pushed;
    for (const Step step : row.steps) {
      switch (step) {
        case inside:
          send_mouse(MOUSEEVENTF_MOVE, {on_screen.left + 20, on_screen.top + 10});
          break;
        case left_of_it:
          send_mouse(MOUSEEVENTF_MOVE, {on_screen.left - 30, on_screen.top + 10});
          break;
        case above_it:
          send_mouse(MOUSEEVENTF_MOVE, {on_screen.left + 20, on_screen.top - 30});
          break;
        case down:
          send_mouse(MOUSEEVENTF_LEFTDOWN);
          break;
        case up:
          send_mouse(MOUSEEVENTF_LEFTUP);
          break;
        case space_down:
        case space_up:
          send_key(VK_SPACE, step == space_up);
          break;
      }
      pushed += g_drawn_pushed ? '1' : '0';
    }
    for (std::size_t i = 0; i < row.pushed.size(); ++i) {
      if (row.pushed[i] == '-') {
        pushed[i] = '-';
      }
    }
    EXPECT_EQ(pushed, row.pushed) << row.what;
    EXPECT_EQ(g_clicks, row.clicks) << row.what;
    EXPECT_EQ(GetFocus(), button) << row.what << ": a press gives it the focus";
    EXPECT_EQ(GetCapture(), nullptr) << row.what << ": the pointer is free again";
  }
}

}  // namespace
}  // namespace borelu::ui

#pragma once

// Uses the windows of another process the way a person does: finds them by class, reads what
// they show (control ids, places, enabled state, focus, texts) and gives them real input through
// the system's input queue (mouse clicks and key presses with SendInput), never by calling their
// window procedures.

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace borelu::testing {

struct ControlView {
  HWND window = nullptr;
  int id = 0;
  std::wstring className;
  RECT rect{};  // in the client coordinates of the top-level window
  bool enabled = false;
  bool visible = false;
  std::string text;
  LONG extendedStyle = 0;
};

struct WindowView {
  HWND window = nullptr;
  std::string caption;
  SIZE client{};                      // client area size
  POINT clientOrigin{};               // client area's top-left corner on the screen
  RECT outer{};                       // the window rectangle on the screen
  std::vector<ControlView> controls;  // direct children, in Z order (creation order)
  int focusedId = 0;                  // id of the control with the keyboard focus, 0 for none

  [[nodiscard]] const ControlView* control(int id) const;
};

// The first visible top-level window of class `class_name` that process `pid` owns; nothing when
// none appears within `timeout`.
std::optional<HWND> wait_for_window(DWORD pid, std::wstring_view class_name,
                                    std::chrono::milliseconds timeout);

// Whether process `pid` still has a window of that class (visible or not).
bool has_window(DWORD pid, std::wstring_view class_name);

WindowView read_window(HWND window);

// Polls `condition` every 20 ms until it holds or `timeout` passes.
bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Brings the window to the front and clicks the middle of the control with the left button.
void click(HWND window, int control_id);

// Brings the window to the front and moves the pointer onto the middle of the control.
void hover(HWND window, int control_id);

// Brings the window to the front and presses and releases one key (VK_RETURN, VK_ESCAPE, VK_TAB,
// VK_SPACE...).
void press_key(HWND window, WORD virtual_key);

}  // namespace borelu::testing

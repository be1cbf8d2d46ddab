#pragma once

// Uses the windows of another process the way a person does: finds them by class, reads what
// they show (control ids, places, enabled state, focus, texts) and gives them real input through
// the system's input queue (mouse clicks and key presses with SendInput), never by calling their
// window procedures.

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace borelu::testing {

class Dib;

// Every position the driver reads or gives is in physical pixels, whatever the system DPI: the
// driver's calls run DPI aware, so the system does not rescale the windows it looks at.

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

// Moves the pointer to the screen's top-left corner, off every control.
void park_pointer();

// WM_COMMAND with `control_id` and BN_CLICKED, sent and handled before this returns: a command
// forced on the window whatever its controls allow.
void send_command(HWND window, int control_id);

// WM_DPICHANGED as the system sends it when the window reaches a monitor of another DPI: the new
// DPI in both words of wParam and lParam pointing to the suggested window rectangle, which is
// written into the window's own process first. Returns once the window has handled it.
bool send_dpi_changed(HWND window, UINT dpi, const RECT& suggested);

// What the screen shows of the window's client area right now.
std::unique_ptr<Dib> capture_client(HWND window);
// What the whole primary screen shows right now.
std::unique_ptr<Dib> capture_screen();

}  // namespace borelu::testing

#pragma once

// A top-level window of one of the program's own classes, run on the calling thread: the class
// is registered for the run, the window is created where `theme::opening_placement` put it (in
// the work area of the monitor it opens on, at the scale its content is laid out at), shown, and
// its messages are pumped (keyboard navigation of the dialog kind first) until the window posts
// WM_QUIT. The wizard and the progress window both run this way.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "theme/window_placement.h"

namespace borelu::ui {

struct TopLevelWindow {
  const wchar_t* class_name = nullptr;
  WNDPROC procedure = nullptr;
  std::wstring title;
  DWORD style = 0;
};

// The class gets the arrow cursor, icon resource 1, no background brush and class style 0.
// `state` is the creation parameter, which the window procedure keeps at WM_NCCREATE and which
// must outlive the call. Fails with "<failure_label>: <system error>" when the class or the window
// cannot be made; otherwise returns once the message loop has ended.
[[nodiscard]] Status run_top_level_window(const TopLevelWindow& window,
                                          const theme::WindowPlacement& placement, void* state,
                                          std::string_view failure_label);

// The state a window procedure was given at WM_NCCREATE; null before that message.
template <class State>
[[nodiscard]] State* window_state(HWND window) {
  return reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Keeps the creation parameter of WM_NCCREATE in GWLP_USERDATA.
void keep_window_state(HWND window, LPARAM nccreate_lparam);

}  // namespace borelu::ui

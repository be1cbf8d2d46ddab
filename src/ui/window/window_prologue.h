#pragma once

// The messages every top-level window of the program answers alike, handed here first by its
// window procedure: a screen reader's WM_GETOBJECT, the system's palette changes
// (WM_SETTINGCHANGE, WM_SYSCOLORCHANGE, WM_THEMECHANGED), WM_ERASEBKGND (the window paints its
// whole client through a buffer), WM_DPICHANGED and WM_DESTROY. What differs between windows
// comes in as hooks; the window answers every other message itself.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "theme/palette.h"
#include "ui/access/accessible_window.h"

namespace borelu::ui {

// One window's part in the shared messages. Lives as long as the window, beside the state its
// references point into.
struct WindowPrologue {
  // The logical size the window is laid out in, at every DPI.
  float logical_width = 0;
  float logical_height = 0;
  // What WM_GETOBJECT answers; detached when the window is destroyed.
  const std::shared_ptr<AccessibleWindow>& access;
  // What the window paints in; it follows the system's high contrast and colours.
  theme::Palette& palette;
  // The palette changed: what else takes its colours, before the whole window is drawn again.
  // May be empty.
  std::function<void(HWND)> palette_changed;
  // The window has taken its place at a new DPI: its fonts and controls are made again at
  // `scale`, and it is drawn anew.
  std::function<void(HWND, float scale)> rescaled;
  // WM_DESTROY, before the accessible objects are detached and the message loop is told to end.
  std::function<void(HWND)> destroyed;
};

// The answer to one of the shared messages, or nothing for any other message.
[[nodiscard]] std::optional<LRESULT> answer_prologue(const WindowPrologue& prologue, HWND window,
                                                     UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace borelu::ui

#pragma once

// Hover tracking of owner-drawn buttons: at most one button, HOT_CONTROL, is under the mouse.
// Moving straight from one button onto another repaints both, so the first loses its hover look
// at once.

#include <windows.h>

namespace borelu::theme {

// A button's window procedure passes every message here first: the pointer's moves and its
// leaving make the button the hot one or not, and a destroyed button is hot no longer.
void follow_pointer(HWND control, UINT message);

// The button under the mouse, or null.
[[nodiscard]] HWND hot_control();
[[nodiscard]] inline bool is_hovered(HWND control) {
  return control != nullptr && control == hot_control();
}

}  // namespace borelu::theme

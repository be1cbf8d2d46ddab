#pragma once

// Hover tracking of owner-drawn buttons: at most one button, HOT_CONTROL, is under the mouse.
// Moving straight from one button onto another repaints both, so the first loses its hover look
// at once.

#include <windows.h>

namespace borelu::theme {

// Subclasses `button` (subclass id 1, no reference data) so that it follows the mouse.
bool install_hover_tracking(HWND button);

// The button under the mouse, or null. A stale handle is only ever compared with live ones.
[[nodiscard]] HWND hot_control();
[[nodiscard]] inline bool is_hovered(HWND control) {
  return control != nullptr && control == hot_control();
}

}  // namespace borelu::theme

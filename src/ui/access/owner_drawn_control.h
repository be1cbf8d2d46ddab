#pragma once

// The behaviour an owner-drawn BUTTON lacks compared with the control it stands for: it answers a
// screen reader with an object of its own (its role, name, state and default action, from its
// window's accessible items), and it takes the keys of its role. Enter presses a push button that
// has the focus (a plain owner-drawn button would let the dialog manager turn Enter into IDOK,
// whatever has the focus); the arrow keys move through a radio group.

#include <windows.h>

#include <memory>

#include "ui/access/accessible_window.h"

namespace borelu::ui {

// Sent to the control's parent when an arrow key is pressed on a radio button: wParam is the
// control's id, lParam 1 for Right and Down (the next in the group), 0 for Left and Up.
inline constexpr UINT RADIO_ARROW_MESSAGE = WM_APP + 1;

// Subclasses `control` (a child of `access`'s window) for as long as it lives.
bool install_owner_drawn_behaviour(HWND control, const std::shared_ptr<AccessibleWindow>& access);

}  // namespace borelu::ui

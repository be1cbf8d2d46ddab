#pragma once

// The behaviour an owner-drawn button (ui/window/owner_drawn_button.h) takes from its role, which
// a plain button lacks compared with the control it stands for: it answers a screen reader with
// an object of its own (its role, name, state and default action, from its
// window's accessible items), and it takes the keys of its role. Enter presses a push button that
// has the focus (a plain owner-drawn button would let the dialog manager turn Enter into IDOK,
// whatever has the focus); the arrow keys move through a radio group.

#include <windows.h>

#include <memory>
#include <optional>

#include "ui/access/accessible_window.h"

namespace borelu::ui {

// Sent to the control's parent when an arrow key is pressed on a radio button: wParam is the
// control's id, lParam 1 for Right and Down (the next in the group), 0 for Left and Up.
inline constexpr UINT RADIO_ARROW_MESSAGE = WM_APP + 1;

// The answer of `control`, a child of `access`'s window, to `message` where its role gives one:
// WM_GETOBJECT, WM_GETDLGCODE (DLGC_BUTTON with what its role wants) and WM_KEYDOWN; nothing
// where the button answers as any button does.
[[nodiscard]] std::optional<LRESULT> answer_owner_drawn(
    const std::shared_ptr<AccessibleWindow>& access, HWND control, UINT message, WPARAM wparam,
    LPARAM lparam);

}  // namespace borelu::ui

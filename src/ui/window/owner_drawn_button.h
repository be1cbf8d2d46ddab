#pragma once

// The buttons of both windows: push buttons and the wizard's choice cards, drawn by their parent
// on WM_DRAWITEM exactly as owner-drawn BUTTONs are (ODT_BUTTON, with ODS_SELECTED, ODS_FOCUS,
// ODS_NOFOCUSRECT and ODS_DISABLED), and clicking as a push button does (button_press.h), with
// WM_COMMAND/BN_CLICKED to the parent. They follow the pointer for their hover look and, given
// their window's accessible items, answer screen readers and take the keys of their role
// (owner_drawn_control.h).
//
// The class is the program's own rather than the system's BUTTON: under the program's manifest
// BUTTON comes from the common controls library, and loading that library was the largest part of
// the time to the wizard's first paint under Wine, for a control that does nothing here but the
// press. The library is still loaded when a page needs it (the terms text) or a task dialog opens.

#include <windows.h>

#include <memory>
#include <string>

#include "theme/geometry.h"
#include "ui/access/accessible_window.h"

namespace borelu::ui {

inline constexpr wchar_t OWNER_DRAWN_BUTTON_CLASS[] = L"Borelu.Setup.Button";

struct OwnerDrawnButton {
  HWND parent = nullptr;
  int id = 0;
  std::wstring text;  // its accessible name comes from the items; this is its window text
  theme::DeviceRect rect;
  HFONT font = nullptr;
  std::shared_ptr<AccessibleWindow> access;  // null: no accessible object, no role keys
};

// A visible, tab-stop child button; null when the system refuses the class or the window.
[[nodiscard]] HWND create_owner_drawn_button(const OwnerDrawnButton& button);

}  // namespace borelu::ui

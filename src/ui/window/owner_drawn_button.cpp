#include "ui/window/owner_drawn_button.h"

#include <windowsx.h>

#include <optional>

#include "theme/hover.h"
#include "ui/access/owner_drawn_control.h"
#include "ui/window/button_press.h"

namespace borelu::ui {
namespace {

// What one button keeps, from WM_NCCREATE to WM_NCDESTROY, in its window's extra bytes.
struct ButtonData {
  std::shared_ptr<AccessibleWindow> access;
  HFONT font = nullptr;
  ButtonPress press;
};

ButtonData* state_of(HWND button) {
  return reinterpret_cast<ButtonData*>(GetWindowLongPtrW(button, 0));
}

bool pointer_inside(HWND button, LPARAM lparam) {
  RECT client{};
  GetClientRect(button, &client);
  const POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  return PtInRect(&client, at) != FALSE;
}

void draw(HWND button, const ButtonData& state, HDC dc) {
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(button));
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = (state.press.pushed ? ODS_SELECTED : 0) |
                   (GetFocus() == button ? ODS_FOCUS : 0) |
                   (IsWindowEnabled(button) ? 0 : ODS_DISABLED);
  if ((SendMessageW(button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0) {
    item.itemState |= ODS_NOFOCUSRECT;
  }
  item.hwndItem = button;
  item.hDC = dc;
  GetClientRect(button, &item.rcItem);
  SendMessageW(GetParent(button), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

// Moves the press on; captures the pointer while the mouse holds the button. A click is sent
// last: the command may destroy the button.
void press(HWND button, ButtonData& state, PressInput input) {
  const ButtonPress before = state.press;
  const PressStep step = press_step(before, input);
  state.press = step.next;
  if (step.next.by == ButtonPress::By::mouse && before.by != ButtonPress::By::mouse) {
    SetCapture(button);
  } else if (before.by == ButtonPress::By::mouse && step.next.by != ButtonPress::By::mouse &&
             GetCapture() == button) {
    ReleaseCapture();  // its WM_CAPTURECHANGED finds the press already over
  }
  if (step.next.pushed != before.pushed) {
    InvalidateRect(button, nullptr, FALSE);
  }
  if (step.clicked) {
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }
}

std::optional<PressInput> press_input(HWND button, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      return PressInput::mouse_down;
    case WM_MOUSEMOVE:
      return pointer_inside(button, lparam) ? PressInput::mouse_moved_inside
                                            : PressInput::mouse_moved_outside;
    case WM_LBUTTONUP:
      return pointer_inside(button, lparam) ? PressInput::mouse_up_inside
                                            : PressInput::mouse_up_outside;
    case WM_KEYDOWN:
      return wparam == VK_SPACE ? std::optional(PressInput::space_down) : std::nullopt;
    case WM_KEYUP:
      return wparam == VK_SPACE ? std::optional(PressInput::space_up) : std::nullopt;
    case WM_CAPTURECHANGED:
      return reinterpret_cast<HWND>(lparam) != button ? std::optional(PressInput::capture_lost)
                                                      : std::nullopt;
    case WM_KILLFOCUS:
      return PressInput::focus_lost;
    default:
      return std::nullopt;
  }
}

LRESULT CALLBACK button_procedure(HWND button, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    // The window owns its data from here, whether or not its creation goes on to succeed.
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    auto* data = static_cast<std::unique_ptr<ButtonData>*>(create->lpCreateParams);
    SetWindowLongPtrW(button, 0, reinterpret_cast<LONG_PTR>(data->release()));
    return DefWindowProcW(button, message, wparam, lparam);
  }
  ButtonData* state = state_of(button);
  if (state == nullptr) {
    return DefWindowProcW(button, message, wparam, lparam);
  }
  theme::follow_pointer(button, message);
  if (state->access) {
    if (const auto answered = answer_owner_drawn(state->access, button, message, wparam, lparam)) {
      return *answered;
    }
  }
  if (const auto input = press_input(button, message, wparam, lparam)) {
    if (*input == PressInput::mouse_down) {
      SetFocus(button);
    }
    if (message == WM_KILLFOCUS) {
      InvalidateRect(button, nullptr, FALSE);  // without its focus ring
    }
    press(button, *state, *input);  // last: a click may destroy the button
    return 0;
  }
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_BUTTON;
    case WM_SETFOCUS:
    case WM_ENABLE:
      InvalidateRect(button, nullptr, FALSE);
      return 0;
    case WM_SETTEXT:
    case WM_UPDATEUISTATE: {
      const LRESULT result = DefWindowProcW(button, message, wparam, lparam);
      InvalidateRect(button, nullptr, FALSE);
      return result;
    }
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wparam);
      if (LOWORD(lparam) != 0) {
        InvalidateRect(button, nullptr, FALSE);
      }
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(state->font);
    case BM_CLICK:
      if (IsWindowEnabled(button)) {
        SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the parent's drawing covers the whole button
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      if (const HDC dc = BeginPaint(button, &paint)) {
        draw(button, *state, dc);
        EndPaint(button, &paint);
      }
      return 0;
    }
    case WM_PRINTCLIENT:
      draw(button, *state, reinterpret_cast<HDC>(wparam));
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(button, 0, 0);
      delete state;
      return DefWindowProcW(button, message, wparam, lparam);
    default:
      return DefWindowProcW(button, message, wparam, lparam);
  }
}

// Registered on first use and kept for the process: buttons of it may exist in any of the
// program's windows, one after another.
bool class_registered() {
  static const bool registered = [] {
    WNDCLASSEXW button_class{};
    button_class.cbSize = sizeof button_class;
    button_class.lpfnWndProc = button_procedure;
    button_class.cbWndExtra = sizeof(ButtonData*);
    button_class.hInstance = GetModuleHandleW(nullptr);
    button_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    button_class.lpszClassName = OWNER_DRAWN_BUTTON_CLASS;
    return RegisterClassExW(&button_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

HWND create_owner_drawn_button(const OwnerDrawnButton& button) {
  if (!class_registered()) {
    return nullptr;
  }
  auto data = std::make_unique<ButtonData>(button.access, button.font);
  return CreateWindowExW(
      0, OWNER_DRAWN_BUTTON_CLASS, button.text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP,
      button.rect.left, button.rect.top, button.rect.width(), button.rect.height(), button.parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.id)), GetModuleHandleW(nullptr), &data);
}

}  // namespace borelu::ui

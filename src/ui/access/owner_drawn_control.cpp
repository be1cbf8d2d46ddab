#include "ui/access/owner_drawn_control.h"

#include <commctrl.h>

#include <optional>

namespace borelu::ui {
namespace {

constexpr UINT_PTR kSubclassId = 2;  // the hover tracking is subclass 1

std::optional<AccessibleRole> role_of(const AccessibleWindow& access, int id) {
  const auto items = access.items();
  const AccessibleItem* item = find_control(items, id);
  return item != nullptr ? std::optional(item->role) : std::nullopt;
}

bool is_arrow(WPARAM key) {
  return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

LRESULT CALLBACK owner_drawn_procedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR, DWORD_PTR data) {
  auto* access = reinterpret_cast<std::shared_ptr<AccessibleWindow>*>(data);
  const int id = GetDlgCtrlID(control);
  switch (message) {
    case WM_GETOBJECT:
      if (const LRESULT answer = answer_get_object(*access, id, wparam, lparam)) {
        return answer;
      }
      break;
    case WM_GETDLGCODE: {
      const LRESULT code = DefSubclassProc(control, message, wparam, lparam);
      const auto* key = reinterpret_cast<const MSG*>(lparam);
      const auto role = role_of(**access, id);
      if (role == AccessibleRole::push_button && key != nullptr && key->message == WM_KEYDOWN &&
          key->wParam == VK_RETURN) {
        return code | DLGC_WANTMESSAGE;
      }
      if (role == AccessibleRole::radio_button) {
        return code | DLGC_WANTARROWS;
      }
      return code;
    }
    case WM_KEYDOWN: {
      const auto role = role_of(**access, id);
      const HWND parent = GetParent(control);
      if (wparam == VK_RETURN && role == AccessibleRole::push_button) {
        // What a click sends; the command may destroy this control, so nothing follows it.
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
        return 0;
      }
      if (is_arrow(wparam) && role == AccessibleRole::radio_button) {
        SendMessageW(parent, RADIO_ARROW_MESSAGE, static_cast<WPARAM>(id),
                     wparam == VK_RIGHT || wparam == VK_DOWN ? 1 : 0);
        return 0;
      }
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, owner_drawn_procedure, kSubclassId);
      delete access;
      return DefSubclassProc(control, message, wparam, lparam);
    default:
      break;
  }
  return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace

bool install_owner_drawn_behaviour(HWND control, const std::shared_ptr<AccessibleWindow>& access) {
  auto owned = std::make_unique<std::shared_ptr<AccessibleWindow>>(access);
  if (!SetWindowSubclass(control, owner_drawn_procedure, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(owned.get()))) {
    return false;
  }
  static_cast<void>(owned.release());  // freed at WM_NCDESTROY
  return true;
}

}  // namespace borelu::ui

#include "ui/access/owner_drawn_control.h"

#include <optional>

#include "ui/access/accessible_object.h"

namespace borelu::ui {
namespace {

// The object of one owner-drawn control: it speaks for the control's item in its window's list
// and has no children; its parent is the window's client object.
class ControlObject final : public AccessibleObject {
 public:
  ControlObject(std::shared_ptr<AccessibleWindow> access, int control)
      : AccessibleObject(std::move(access), control) {}

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) {
      return E_POINTER;
    }
    *parent = nullptr;
    if (access_->window() == nullptr) {
      return CO_E_OBJNOTCONNECTED;
    }
    *parent = new_client_object(access_);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) {
      return E_POINTER;
    }
    *count = 0;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = nullptr;
    // Only the object itself has a child id here, and it is not its own child.
    return target_of(child, access_->items()) ? S_FALSE : E_INVALIDARG;
  }

  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) {
      return E_POINTER;
    }
    VariantInit(focus);
    const HWND window = access_->window();
    if (window == nullptr) {
      return CO_E_OBJNOTCONNECTED;
    }
    if (GetFocus() != GetDlgItem(window, control_)) {
      return S_FALSE;
    }
    set_i4(focus, CHILDID_SELF);
    return S_OK;
  }
};

std::optional<AccessibleRole> role_of(const AccessibleWindow& access, int id) {
  const auto items = access.items();
  const AccessibleItem* item = find_control(items, id);
  return item != nullptr ? std::optional(item->role) : std::nullopt;
}

bool is_arrow(WPARAM key) {
  return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

}  // namespace

AccessibleObject* new_control_object(std::shared_ptr<AccessibleWindow> access, int control) {
  return new ControlObject(std::move(access), control);
}

std::optional<LRESULT> answer_owner_drawn(const std::shared_ptr<AccessibleWindow>& access,
                                          HWND control, UINT message, WPARAM wparam,
                                          LPARAM lparam) {
  const int id = GetDlgCtrlID(control);
  switch (message) {
    case WM_GETOBJECT:
      if (const LRESULT answer = answer_get_object(access, id, wparam, lparam)) {
        return answer;
      }
      return std::nullopt;
    case WM_GETDLGCODE: {
      const auto* key = reinterpret_cast<const MSG*>(lparam);
      const auto role = role_of(*access, id);
      if (role == AccessibleRole::push_button && key != nullptr && key->message == WM_KEYDOWN &&
          key->wParam == VK_RETURN) {
        return DLGC_BUTTON | DLGC_WANTMESSAGE;
      }
      if (role == AccessibleRole::radio_button) {
        return DLGC_BUTTON | DLGC_WANTARROWS;
      }
      return std::nullopt;
    }
    case WM_KEYDOWN: {
      const auto role = role_of(*access, id);
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
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace borelu::ui

#include "ui/access/accessible_window.h"

#include "ui/access/accessible_object.h"
#include "win/handles.h"

namespace borelu::ui {

AccessibleWindow::AccessibleWindow(ListItems list, Place place)
    : list_(std::move(list)), place_(std::move(place)) {}

std::vector<AccessibleItem> AccessibleWindow::items() const {
  if (window_ == nullptr) {
    return {};
  }
  return list_();
}

namespace {

// The window's client object, whose children are the window's items. It lives on the window's
// thread; calls from another process arrive there through COM.
class ClientObject final : public AccessibleObject {
 public:
  explicit ClientObject(std::shared_ptr<AccessibleWindow> access)
      : AccessibleObject(std::move(access), 0) {}

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) {
      return E_POINTER;
    }
    *parent = nullptr;
    const HWND window = access_->window();
    if (window == nullptr) {
      return CO_E_OBJNOTCONNECTED;
    }
    return AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                      reinterpret_cast<void**>(parent));
  }

  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) {
      return E_POINTER;
    }
    *count = static_cast<LONG>(access_->items().size());
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = nullptr;
    const auto items = access_->items();
    const auto target = target_of(child, items);
    if (!target) {
      return E_INVALIDARG;
    }
    if (target->self) {
      return S_FALSE;  // the object itself is not its own child
    }
    const AccessibleItem& item = items[*target->item];
    if (item.control == 0) {
      return S_FALSE;  // painted: a simple element of this object
    }
    return control_object(item, out);
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
    const HWND focused = GetFocus();
    if (focused == window) {
      set_i4(focus, CHILDID_SELF);
      return S_OK;
    }
    for (const AccessibleItem& item : access_->items()) {
      if (item.control != 0 && GetDlgItem(window, item.control) == focused) {
        IDispatch* object = nullptr;
        if (SUCCEEDED(control_object(item, &object)) && object != nullptr) {
          set_dispatch(focus, object);
          return S_OK;
        }
      }
    }
    return S_FALSE;
  }
};

}  // namespace

AccessibleObject* new_client_object(std::shared_ptr<AccessibleWindow> access) {
  return new ClientObject(std::move(access));
}

LRESULT answer_get_object(const std::shared_ptr<AccessibleWindow>& access, int control,
                          WPARAM wparam, LPARAM lparam) {
  if (static_cast<LONG>(static_cast<DWORD>(lparam)) != OBJID_CLIENT ||
      access->window() == nullptr) {
    return 0;
  }
  const win::ComPtr<IAccessible> object(control == 0 ? new_client_object(access)
                                                     : new_control_object(access, control));
  return LresultFromObject(__uuidof(IAccessible), wparam, object.get());
}

void notify_accessible_event(HWND window, DWORD event, LONG child) {
  NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

}  // namespace borelu::ui

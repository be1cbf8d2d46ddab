#include "ui/access/accessible_window.h"

#include <oleacc.h>

#include <atomic>
#include <optional>
#include <string>

#include "win/handles.h"
#include "win/text.h"

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

// What one VARIANT child id names: the object itself, or one of the client's items.
struct Element {
  std::optional<std::size_t> index;  // none: the object itself
};

HRESULT give_text(std::string_view text, BSTR* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = nullptr;
  if (text.empty()) {
    return S_FALSE;
  }
  const std::wstring wide = win::widen(text);
  *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// A property nothing here has.
HRESULT no_text(BSTR* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = nullptr;
  return DISP_E_MEMBERNOTFOUND;
}

void set_i4(VARIANT* out, LONG value) {
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = value;
}

void set_dispatch(VARIANT* out, IDispatch* dispatch) {
  VariantInit(out);
  out->vt = VT_DISPATCH;
  out->pdispVal = dispatch;
}

LONG msaa_role(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::static_text:
      return ROLE_SYSTEM_STATICTEXT;
    case AccessibleRole::push_button:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::radio_button:
      return ROLE_SYSTEM_RADIOBUTTON;
    case AccessibleRole::check_button:
      return ROLE_SYSTEM_CHECKBUTTON;
    case AccessibleRole::progress_bar:
      return ROLE_SYSTEM_PROGRESSBAR;
    case AccessibleRole::standard:
      return ROLE_SYSTEM_TEXT;
  }
  return ROLE_SYSTEM_CLIENT;
}

RECT screen_rect(HWND window, const theme::DeviceRect& client) {
  POINT corner{client.left, client.top};
  ClientToScreen(window, &corner);
  return {corner.x, corner.y, corner.x + client.width(), corner.y + client.height()};
}

// COM interfaces have no virtual destructor: an object deletes itself in Release, never through
// a pointer to its interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// One object of a window: its client object (`control_` 0), whose children are the window's
// items, or the object of one owner-drawn control, which has none. Both live on the window's
// thread; calls from another process arrive there through COM.
class AccessibleObject final : public IAccessible {
 public:
  AccessibleObject(std::shared_ptr<AccessibleWindow> access, int control)
      : access_(std::move(access)), control_(control) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      delete this;
    }
    return left;
  }

  // IDispatch: clients call the interface itself; there is no type information to give.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) {
      return E_POINTER;
    }
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) {
      return E_POINTER;
    }
    *parent = nullptr;
    const HWND window = access_->window();
    if (window == nullptr) {
      return CO_E_OBJNOTCONNECTED;
    }
    if (control_ != 0) {
      *parent = new AccessibleObject(access_, 0);
      return S_OK;
    }
    return AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                      reinterpret_cast<void**>(parent));
  }

  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) {
      return E_POINTER;
    }
    *count = control_ == 0 ? static_cast<LONG>(access_->items().size()) : 0;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = nullptr;
    const auto items = access_->items();
    const auto element = resolve(child, items);
    if (!element) {
      return E_INVALIDARG;
    }
    if (!element->index) {
      return S_FALSE;  // the object itself is not its own child
    }
    const AccessibleItem& item = items[*element->index];
    if (item.control == 0) {
      return S_FALSE;  // painted: a simple element of this object
    }
    return control_object(item, out);
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return with_element(child, [&](const AccessibleItem* item) {
      if (item == nullptr) {
        return give_text(caption(), name);
      }
      return give_text(item->name, name);
    });
  }

  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return with_element(child, [&](const AccessibleItem* item) -> HRESULT {
      if (value != nullptr) {
        *value = nullptr;
      }
      if (item == nullptr || !item->value) {
        return DISP_E_MEMBERNOTFOUND;
      }
      return give_text(*item->value, value);
    });
  }

  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    return with_element(child, [&](const AccessibleItem* item) {
      return give_text(item != nullptr ? std::string_view(item->description) : "", description);
    });
  }

  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return with_element(child, [&](const AccessibleItem* item) -> HRESULT {
      if (role == nullptr) {
        return E_POINTER;
      }
      set_i4(role, item == nullptr ? ROLE_SYSTEM_CLIENT : msaa_role(item->role));
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return with_element(child, [&](const AccessibleItem* item) -> HRESULT {
      if (state == nullptr) {
        return E_POINTER;
      }
      set_i4(state, static_cast<LONG>(state_of(item)));
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override { return no_text(help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file != nullptr) {
      *file = nullptr;
    }
    if (topic != nullptr) {
      *topic = 0;
    }
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
    return no_text(shortcut);
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
    if (control_ != 0) {
      if (focused == control_window()) {
        set_i4(focus, CHILDID_SELF);
      }
      return focus->vt == VT_EMPTY ? S_FALSE : S_OK;
    }
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

  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection == nullptr) {
      return E_POINTER;
    }
    VariantInit(selection);
    return DISP_E_MEMBERNOTFOUND;
  }

  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return with_element(child, [&](const AccessibleItem* item) -> HRESULT {
      if (item == nullptr || item->default_action.empty()) {
        if (action != nullptr) {
          *action = nullptr;
        }
        return DISP_E_MEMBERNOTFOUND;
      }
      return give_text(item->default_action, action);
    });
  }

  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return with_element(child, [&](const AccessibleItem* item) -> HRESULT {
      const HWND target = item == nullptr ? self_window() : item_window(*item);
      if (target == nullptr || (flags & ~SELFLAG_TAKEFOCUS) != 0) {
        return DISP_E_MEMBERNOTFOUND;
      }
      if ((flags & SELFLAG_TAKEFOCUS) != 0) {
        SetFocus(target);
      }
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
      return E_POINTER;
    }
    *left = *top = *width = *height = 0;
    return with_element(child, [&](const AccessibleItem* item) {
      const RECT r = location(item);
      *left = r.left;
      *top = r.top;
      *width = r.right - r.left;
      *height = r.bottom - r.top;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    if (end == nullptr) {
      return E_POINTER;
    }
    VariantInit(end);
    if (access_->window() == nullptr) {
      return CO_E_OBJNOTCONNECTED;
    }
    const auto items = access_->items();
    const auto element = resolve(start, items);
    if (!element) {
      return E_INVALIDARG;
    }
    // Within the client's list: its first or last child, or a child's neighbour. A control's
    // object finds its neighbours among its window's items.
    std::optional<std::size_t> from = element->index;
    if (!from && control_ != 0) {
      from = index_of_control(items);
    }
    std::optional<std::size_t> to;
    switch (direction) {
      case NAVDIR_FIRSTCHILD:
      case NAVDIR_LASTCHILD:
        if (element->index || control_ != 0 || items.empty()) {
          return S_FALSE;
        }
        to = direction == NAVDIR_FIRSTCHILD ? 0 : items.size() - 1;
        break;
      case NAVDIR_NEXT:
      case NAVDIR_DOWN:
        if (from && *from + 1 < items.size()) {
          to = *from + 1;
        }
        break;
      case NAVDIR_PREVIOUS:
      case NAVDIR_UP:
        if (from && *from > 0) {
          to = *from - 1;
        }
        break;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
    if (!to) {
      return S_FALSE;
    }
    return give_child(items, *to, end);
  }

  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
    if (hit == nullptr) {
      return E_POINTER;
    }
    VariantInit(hit);
    if (access_->window() == nullptr) {
      return CO_E_OBJNOTCONNECTED;
    }
    const POINT point{x, y};
    const RECT self = location(nullptr);
    if (!PtInRect(&self, point)) {
      return S_FALSE;
    }
    if (control_ == 0) {
      const auto items = access_->items();
      for (std::size_t i = 0; i < items.size(); ++i) {
        const RECT r = location(&items[i]);
        if (PtInRect(&r, point)) {
          return give_child(items, i, hit);
        }
      }
    }
    set_i4(hit, CHILDID_SELF);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return with_element(child, [&](const AccessibleItem* item) -> HRESULT {
      if (item == nullptr || item->control == 0 || item->default_action.empty()) {
        return DISP_E_MEMBERNOTFOUND;
      }
      const HWND target = item_window(*item);
      if (item->unavailable || target == nullptr || !IsWindowEnabled(target)) {
        return E_FAIL;  // as a click on a disabled control, it does nothing
      }
      // Posted, as a click's command arrives: the command may close the window, which must not
      // happen inside a call that a screen reader is still waiting on.
      return PostMessageW(access_->window(), WM_COMMAND, MAKEWPARAM(item->control, BN_CLICKED),
                          reinterpret_cast<LPARAM>(target))
                 ? S_OK
                 : E_FAIL;
    });
  }

  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  // The element a child id names, from this object's point of view: CHILDID_SELF is this
  // object; a client's child ids name its items. Nothing for an id it does not know.
  [[nodiscard]] std::optional<Element> resolve(const VARIANT& child,
                                               const std::vector<AccessibleItem>& items) const {
    if (child.vt != VT_I4) {
      return std::nullopt;
    }
    if (child.lVal == CHILDID_SELF) {
      return Element{};
    }
    if (control_ != 0 || child.lVal < 1 || static_cast<std::size_t>(child.lVal) > items.size()) {
      return std::nullopt;
    }
    return Element{static_cast<std::size_t>(child.lVal - 1)};
  }

  // Calls `answer` with the item a child id names (null for the client object itself); a
  // control's object answers with its own item.
  template <class Answer>
  HRESULT with_element(const VARIANT& child, Answer&& answer) const {
    if (access_->window() == nullptr) {
      return CO_E_OBJNOTCONNECTED;
    }
    const auto items = access_->items();
    const auto element = resolve(child, items);
    if (!element) {
      return E_INVALIDARG;
    }
    if (element->index) {
      return answer(&items[*element->index]);
    }
    if (control_ == 0) {
      return answer(static_cast<const AccessibleItem*>(nullptr));
    }
    const AccessibleItem* own = find_control(items, control_);
    if (own == nullptr) {
      return CO_E_OBJNOTCONNECTED;  // the page that had this control is gone
    }
    return answer(own);
  }

  [[nodiscard]] std::optional<std::size_t> index_of_control(
      const std::vector<AccessibleItem>& items) const {
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i].control == control_) {
        return i;
      }
    }
    return std::nullopt;
  }

  HRESULT control_object(const AccessibleItem& item, IDispatch** out) const {
    const HWND target = item_window(item);
    if (target == nullptr) {
      return E_FAIL;
    }
    if (item.role == AccessibleRole::standard) {
      return AccessibleObjectFromWindow(target, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IDispatch), reinterpret_cast<void**>(out));
    }
    *out = new AccessibleObject(access_, item.control);
    return S_OK;
  }

  // A child of the client's list for a VARIANT: the object of a control, the id of a painted
  // item.
  HRESULT give_child(const std::vector<AccessibleItem>& items, std::size_t index,
                     VARIANT* out) const {
    const AccessibleItem& item = items[index];
    if (item.control != 0) {
      IDispatch* object = nullptr;
      const HRESULT made = control_object(item, &object);
      if (FAILED(made) || object == nullptr) {
        return FAILED(made) ? made : E_FAIL;
      }
      set_dispatch(out, object);
      return S_OK;
    }
    set_i4(out, accessible_child_id(index));
    return S_OK;
  }

  [[nodiscard]] HWND item_window(const AccessibleItem& item) const {
    return item.control == 0 ? nullptr : GetDlgItem(access_->window(), item.control);
  }
  [[nodiscard]] HWND control_window() const { return GetDlgItem(access_->window(), control_); }
  [[nodiscard]] HWND self_window() const {
    return control_ == 0 ? access_->window() : control_window();
  }

  [[nodiscard]] std::string caption() const {
    std::wstring text(512, L'\0');
    const int length =
        GetWindowTextW(access_->window(), text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return win::narrow(text);
  }

  [[nodiscard]] DWORD state_of(const AccessibleItem* item) const {
    if (item == nullptr) {
      return STATE_SYSTEM_FOCUSABLE |
             (GetFocus() == access_->window() ? STATE_SYSTEM_FOCUSED : DWORD{0});
    }
    if (item->control == 0) {
      return STATE_SYSTEM_READONLY;
    }
    const HWND target = item_window(*item);
    DWORD state = STATE_SYSTEM_FOCUSABLE;
    if (target != nullptr && GetFocus() == target) {
      state |= STATE_SYSTEM_FOCUSED;
    }
    if (item->checked) {
      state |= STATE_SYSTEM_CHECKED;
    }
    if (item->unavailable || target == nullptr || !IsWindowEnabled(target)) {
      state |= STATE_SYSTEM_UNAVAILABLE;
    }
    if (item->role == AccessibleRole::standard) {
      state |= STATE_SYSTEM_READONLY;
    }
    return state;
  }

  // Where an element is on the screen.
  [[nodiscard]] RECT location(const AccessibleItem* item) const {
    const HWND window = access_->window();
    RECT r{};
    if (item == nullptr && control_ == 0) {
      RECT client{};
      GetClientRect(window, &client);
      return screen_rect(window, {client.left, client.top, client.right, client.bottom});
    }
    const int control = item == nullptr ? control_ : item->control;
    if (control != 0) {
      GetWindowRect(GetDlgItem(window, control), &r);
      return r;
    }
    return screen_rect(window, access_->place(item->rect));
  }

  std::shared_ptr<AccessibleWindow> access_;
  int control_;
  std::atomic<ULONG> references_{1};
};

#pragma GCC diagnostic pop

}  // namespace

LRESULT answer_get_object(const std::shared_ptr<AccessibleWindow>& access, int control,
                          WPARAM wparam, LPARAM lparam) {
  if (static_cast<LONG>(static_cast<DWORD>(lparam)) != OBJID_CLIENT ||
      access->window() == nullptr) {
    return 0;
  }
  const win::ComPtr<IAccessible> object(new AccessibleObject(access, control));
  return LresultFromObject(__uuidof(IAccessible), wparam, object.get());
}

void notify_accessible_event(HWND window, DWORD event, LONG child) {
  NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

}  // namespace borelu::ui

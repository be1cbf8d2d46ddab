#include "ui/access/accessible_object.h"

#include <string>
#include <string_view>

#include "win/text.h"

namespace borelu::ui {
namespace {

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

DWORD msaa_state(const AccessibleState& state) {
  DWORD bits = 0;
  bits |= state.focusable ? STATE_SYSTEM_FOCUSABLE : 0;
  bits |= state.focused ? STATE_SYSTEM_FOCUSED : 0;
  bits |= state.checked ? STATE_SYSTEM_CHECKED : 0;
  bits |= state.unavailable ? STATE_SYSTEM_UNAVAILABLE : 0;
  bits |= state.read_only ? STATE_SYSTEM_READONLY : 0;
  return bits;
}

std::optional<Navigation> navigation_of(LONG direction) {
  switch (direction) {
    case NAVDIR_FIRSTCHILD:
      return Navigation::first_child;
    case NAVDIR_LASTCHILD:
      return Navigation::last_child;
    case NAVDIR_NEXT:
    case NAVDIR_DOWN:
      return Navigation::next;
    case NAVDIR_PREVIOUS:
    case NAVDIR_UP:
      return Navigation::previous;
    default:
      return std::nullopt;
  }
}

RECT screen_rect(HWND window, const theme::DeviceRect& client) {
  POINT corner{client.left, client.top};
  ClientToScreen(window, &corner);
  return {corner.x, corner.y, corner.x + client.width(), corner.y + client.height()};
}

theme::DeviceRect device_rect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

std::string caption(HWND window) {
  std::wstring text(512, L'\0');
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return win::narrow(text);
}

}  // namespace

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

std::optional<ChildTarget> AccessibleObject::target_of(
    const VARIANT& child, const std::vector<AccessibleItem>& items) const {
  if (child.vt != VT_I4) {
    return std::nullopt;
  }
  return resolve_child(items, control_, child.lVal);
}

// Calls `answer` with the item a child id names (null for the client object itself); a
// control's object answers with its own item.
template <class Answer>
HRESULT AccessibleObject::with_element(const VARIANT& child, Answer&& answer) const {
  if (access_->window() == nullptr) {
    return CO_E_OBJNOTCONNECTED;
  }
  const auto items = access_->items();
  const auto target = target_of(child, items);
  if (!target) {
    return E_INVALIDARG;
  }
  if (target->item) {
    return answer(&items[*target->item]);
  }
  if (control_ == 0) {
    return answer(static_cast<const AccessibleItem*>(nullptr));
  }
  return CO_E_OBJNOTCONNECTED;  // the page that had this control is gone
}

HRESULT AccessibleObject::control_object(const AccessibleItem& item, IDispatch** out) const {
  const HWND target = item_window(item);
  if (target == nullptr) {
    return E_FAIL;
  }
  if (item.role == AccessibleRole::standard) {
    return AccessibleObjectFromWindow(target, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IDispatch),
                                      reinterpret_cast<void**>(out));
  }
  *out = new_control_object(access_, item.control);
  return S_OK;
}

// A child of the client's list for a VARIANT: the object of a control, the id of a painted item.
HRESULT AccessibleObject::give_child(const std::vector<AccessibleItem>& items, std::size_t index,
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

HWND AccessibleObject::item_window(const AccessibleItem& item) const {
  return item.control == 0 ? nullptr : GetDlgItem(access_->window(), item.control);
}

WindowFacts AccessibleObject::facts(const AccessibleItem* item) const {
  const HWND target = item == nullptr ? access_->window() : item_window(*item);
  return {.exists = target != nullptr,
          .focused = target != nullptr && GetFocus() == target,
          .enabled = target != nullptr && IsWindowEnabled(target)};
}

// Where an element is on the screen.
RECT AccessibleObject::location(const AccessibleItem* item) const {
  const HWND window = access_->window();
  RECT r{};
  if (item == nullptr && control_ == 0) {
    RECT client{};
    GetClientRect(window, &client);
    return screen_rect(window, device_rect(client));
  }
  const int control = item == nullptr ? control_ : item->control;
  if (control != 0) {
    GetWindowRect(GetDlgItem(window, control), &r);
    return r;
  }
  return screen_rect(window, access_->place(item->rect));
}

HRESULT AccessibleObject::get_accName(VARIANT child, BSTR* name) {
  return with_element(child, [&](const AccessibleItem* item) {
    if (item == nullptr) {
      return give_text(caption(access_->window()), name);
    }
    return give_text(item->name, name);
  });
}

HRESULT AccessibleObject::get_accValue(VARIANT child, BSTR* value) {
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

HRESULT AccessibleObject::get_accDescription(VARIANT child, BSTR* description) {
  return with_element(child, [&](const AccessibleItem* item) {
    return give_text(item != nullptr ? std::string_view(item->description) : "", description);
  });
}

HRESULT AccessibleObject::get_accRole(VARIANT child, VARIANT* role) {
  return with_element(child, [&](const AccessibleItem* item) -> HRESULT {
    if (role == nullptr) {
      return E_POINTER;
    }
    set_i4(role, item == nullptr ? ROLE_SYSTEM_CLIENT : msaa_role(item->role));
    return S_OK;
  });
}

HRESULT AccessibleObject::get_accState(VARIANT child, VARIANT* state) {
  return with_element(child, [&](const AccessibleItem* item) -> HRESULT {
    if (state == nullptr) {
      return E_POINTER;
    }
    set_i4(state, static_cast<LONG>(msaa_state(accessible_state(item, facts(item)))));
    return S_OK;
  });
}

HRESULT AccessibleObject::get_accDefaultAction(VARIANT child, BSTR* action) {
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

HRESULT AccessibleObject::accSelect(LONG flags, VARIANT child) {
  return with_element(child, [&](const AccessibleItem* item) -> HRESULT {
    const HWND target = item == nullptr ? access_->window() : item_window(*item);
    if (target == nullptr || (flags & ~SELFLAG_TAKEFOCUS) != 0) {
      return DISP_E_MEMBERNOTFOUND;
    }
    if ((flags & SELFLAG_TAKEFOCUS) != 0) {
      SetFocus(target);
    }
    return S_OK;
  });
}

HRESULT AccessibleObject::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                      VARIANT child) {
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

HRESULT AccessibleObject::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  if (end == nullptr) {
    return E_POINTER;
  }
  VariantInit(end);
  if (access_->window() == nullptr) {
    return CO_E_OBJNOTCONNECTED;
  }
  const auto items = access_->items();
  const auto from = target_of(start, items);
  if (!from) {
    return E_INVALIDARG;
  }
  const auto navigation = navigation_of(direction);
  if (!navigation) {
    return DISP_E_MEMBERNOTFOUND;
  }
  const auto to = navigation_target(*from, control_, items.size(), *navigation);
  if (!to) {
    return S_FALSE;
  }
  return give_child(items, *to, end);
}

HRESULT AccessibleObject::accHitTest(LONG x, LONG y, VARIANT* hit) {
  if (hit == nullptr) {
    return E_POINTER;
  }
  VariantInit(hit);
  if (access_->window() == nullptr) {
    return CO_E_OBJNOTCONNECTED;
  }
  // Only the client has items to hit; a control's object is all of its control.
  const auto items = control_ == 0 ? access_->items() : std::vector<AccessibleItem>{};
  std::vector<theme::DeviceRect> places;
  places.reserve(items.size());
  for (const AccessibleItem& item : items) {
    places.push_back(device_rect(location(&item)));
  }
  const Hit found = hit_test(device_rect(location(nullptr)), places, x, y);
  if (!found.inside) {
    return S_FALSE;
  }
  if (found.item) {
    return give_child(items, *found.item, hit);
  }
  set_i4(hit, CHILDID_SELF);
  return S_OK;
}

HRESULT AccessibleObject::accDoDefaultAction(VARIANT child) {
  return with_element(child, [&](const AccessibleItem* item) -> HRESULT {
    switch (default_action(item, facts(item))) {
      case DefaultAction::none:
        return DISP_E_MEMBERNOTFOUND;
      case DefaultAction::refused:
        return E_FAIL;  // as a click on a disabled control, it does nothing
      case DefaultAction::click:
        break;
    }
    // Posted, as a click's command arrives: the command may close the window, which must not
    // happen inside a call that a screen reader is still waiting on.
    return PostMessageW(access_->window(), WM_COMMAND, MAKEWPARAM(item->control, BN_CLICKED),
                        reinterpret_cast<LPARAM>(item_window(*item)))
               ? S_OK
               : E_FAIL;
  });
}

}  // namespace borelu::ui

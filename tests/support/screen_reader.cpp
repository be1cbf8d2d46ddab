#include "screen_reader.h"

#include <oleacc.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>

#include "controller/com_apartment.h"
#include "win/handles.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

VARIANT child_id(LONG id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::string take_bstr(BSTR text) {
  if (text == nullptr) {
    return {};
  }
  std::string narrow = win::narrow(std::wstring_view(text, SysStringLen(text)));
  SysFreeString(text);
  return narrow;
}

AccessibleView view_of(IAccessible* object, LONG id) {
  const VARIANT child = child_id(id);
  AccessibleView view;
  VARIANT v;
  VariantInit(&v);
  if (SUCCEEDED(object->get_accRole(child, &v)) && v.vt == VT_I4) {
    view.role = v.lVal;
  }
  VariantClear(&v);
  if (SUCCEEDED(object->get_accState(child, &v)) && v.vt == VT_I4) {
    view.state = static_cast<DWORD>(v.lVal);
  }
  VariantClear(&v);
  BSTR text = nullptr;
  if (object->get_accName(child, &text) == S_OK) {
    view.name = take_bstr(text);
  }
  text = nullptr;
  if (object->get_accValue(child, &text) == S_OK) {
    view.value = take_bstr(text);
  }
  text = nullptr;
  if (object->get_accDescription(child, &text) == S_OK) {
    view.description = take_bstr(text);
  }
  text = nullptr;
  if (object->get_accDefaultAction(child, &text) == S_OK) {
    view.defaultAction = take_bstr(text);
  }
  LONG x = 0, y = 0, w = 0, h = 0;
  if (SUCCEEDED(object->accLocation(&x, &y, &w, &h, child))) {
    view.location = {x, y, x + w, y + h};
  }
  return view;
}

win::ComPtr<IAccessible> client_object(HWND window) {
  win::ComPtr<IAccessible> client;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IAccessible), client.put_void()))) {
    client.reset();
  }
  return client;
}

// Calls `visit(object, id, view)` for each child of the client object: the child's own object
// with CHILDID_SELF, or the client object with the child's id.
template <class Visit>
bool for_each_child(IAccessible* client, Visit&& visit) {
  LONG count = 0;
  if (FAILED(client->get_accChildCount(&count)) || count < 0) {
    return false;
  }
  std::vector<VARIANT> children(static_cast<std::size_t>(count));
  LONG obtained = 0;
  if (count > 0 && FAILED(AccessibleChildren(client, 0, count, children.data(), &obtained))) {
    return false;
  }
  bool stop = false;
  for (LONG i = 0; i < obtained; ++i) {
    VARIANT& child = children[static_cast<std::size_t>(i)];
    if (!stop && child.vt == VT_DISPATCH && child.pdispVal != nullptr) {
      win::ComPtr<IAccessible> own;
      if (SUCCEEDED(child.pdispVal->QueryInterface(__uuidof(IAccessible), own.put_void()))) {
        AccessibleView view = view_of(own.get(), CHILDID_SELF);
        view.ownObject = true;
        stop = visit(own.get(), CHILDID_SELF, view);
      }
    } else if (!stop && child.vt == VT_I4) {
      stop = visit(client, child.lVal, view_of(client, child.lVal));
    }
    VariantClear(&child);
  }
  return true;
}

WinEventLog* g_log = nullptr;  // the one log the hook's thread reports to

}  // namespace

const AccessibleView* AccessibleTree::child(std::string_view wanted, LONG wanted_role) const {
  for (const AccessibleView& view : children) {
    if (view.name == wanted && (wanted_role == 0 || view.role == wanted_role)) {
      return &view;
    }
  }
  return nullptr;
}

std::optional<AccessibleTree> read_accessible_tree(HWND window) {
  const controller::ComApartment apartment(COINIT_APARTMENTTHREADED);
  const auto client = client_object(window);
  if (!client) {
    return std::nullopt;
  }
  const AccessibleView self = view_of(client.get(), CHILDID_SELF);
  AccessibleTree tree{self.name, self.role, {}};
  if (!for_each_child(client.get(), [&](IAccessible*, LONG, const AccessibleView& view) {
        tree.children.push_back(view);
        return false;
      })) {
    return std::nullopt;
  }
  return tree;
}

bool do_default_action(HWND window, std::string_view name, LONG role) {
  const controller::ComApartment apartment(COINIT_APARTMENTTHREADED);
  const auto client = client_object(window);
  bool done = false;
  if (client) {
    for_each_child(client.get(), [&](IAccessible* object, LONG id, const AccessibleView& view) {
      if (view.name != name || (role != 0 && view.role != role)) {
        return false;
      }
      done = SUCCEEDED(object->accDoDefaultAction(child_id(id)));
      return true;
    });
  }
  return done;
}

WinEventLog::WinEventLog(DWORD pid) : pid_(pid) {
  std::mutex started;
  std::condition_variable ready;
  bool listening = false;
  g_log = this;
  thread_ = std::thread([&] {
    const controller::ComApartment apartment(COINIT_APARTMENTTHREADED);
    // Every process's events, sorted here: Wine's out-of-context hook delivers nothing when it is
    // given a process id.
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, on_event, 0, 0, WINEVENT_OUTOFCONTEXT);
    {
      // Notified under the lock: the constructor, and these locals, stay until it is released.
      const std::lock_guard lock(started);
      thread_id_ = GetCurrentThreadId();
      listening = true;
      ready.notify_one();
    }
    MSG message;
    // The hook's events arrive through this thread's messages.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      DispatchMessageW(&message);
    }
    if (hook != nullptr) {
      UnhookWinEvent(hook);
    }
  });
  std::unique_lock lock(started);
  ready.wait(lock, [&] { return listening; });
}

WinEventLog::~WinEventLog() {
  PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
  thread_.join();
  g_log = nullptr;
}

void CALLBACK WinEventLog::on_event(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                    LONG child, DWORD, DWORD) {
  if (g_log == nullptr) {
    return;
  }
  DWORD source_pid = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &source_pid) == 0 ||
      source_pid != g_log->pid_) {
    return;
  }
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, 64);
  Event heard{event,
              window,
              object,
              child,
              win::narrow(class_name) + " " + std::to_string(GetDlgCtrlID(window)),
              {}};
  if (event == EVENT_OBJECT_VALUECHANGE || event == EVENT_OBJECT_NAMECHANGE) {
    win::ComPtr<IAccessible> source;
    VARIANT id;
    VariantInit(&id);
    if (SUCCEEDED(AccessibleObjectFromEvent(window, static_cast<DWORD>(object),
                                            static_cast<DWORD>(child), source.put(), &id))) {
      BSTR text = nullptr;
      const HRESULT read = event == EVENT_OBJECT_VALUECHANGE ? source->get_accValue(id, &text)
                                                             : source->get_accName(id, &text);
      if (read == S_OK) {
        heard.text = take_bstr(text);
      }
    }
    VariantClear(&id);
  }
  const std::lock_guard lock(g_log->mutex_);
  g_log->events_.push_back(std::move(heard));
}

std::vector<WinEventLog::Event> WinEventLog::take() {
  const std::lock_guard lock(mutex_);
  return std::exchange(events_, {});
}

std::string event_name(DWORD event) {
  switch (event) {
    case EVENT_OBJECT_STATECHANGE:
      return "EVENT_OBJECT_STATECHANGE";
    case EVENT_OBJECT_NAMECHANGE:
      return "EVENT_OBJECT_NAMECHANGE";
    case EVENT_OBJECT_VALUECHANGE:
      return "EVENT_OBJECT_VALUECHANGE";
    case EVENT_OBJECT_REORDER:
      return "EVENT_OBJECT_REORDER";
    case EVENT_OBJECT_FOCUS:
      return "EVENT_OBJECT_FOCUS";
    case EVENT_OBJECT_CREATE:
      return "EVENT_OBJECT_CREATE";
    case EVENT_OBJECT_DESTROY:
      return "EVENT_OBJECT_DESTROY";
    case EVENT_OBJECT_SHOW:
      return "EVENT_OBJECT_SHOW";
    case EVENT_OBJECT_HIDE:
      return "EVENT_OBJECT_HIDE";
    case EVENT_OBJECT_LOCATIONCHANGE:
      return "EVENT_OBJECT_LOCATIONCHANGE";
    default: {
      char text[16];
      std::snprintf(text, sizeof text, "0x%04lX", static_cast<unsigned long>(event));
      return text;
    }
  }
}

}  // namespace borelu::testing

#pragma once

// A window of another process as a screen reader sees it, through Active Accessibility only:
// the window's client object and its children (role, name, value, description, state, default
// action, place on the screen), default actions done on them, and the events the process raises,
// heard through an out-of-context WinEvent hook. Nothing here relies on the system's default
// proxies knowing our controls.

#include <windows.h>

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace borelu::testing {

struct AccessibleView {
  LONG role = 0;
  std::string name;
  std::optional<std::string> value;
  std::string description;
  std::string defaultAction;
  DWORD state = 0;
  RECT location{};         // on the screen
  bool ownObject = false;  // a child with an object of its own, not a simple element

  [[nodiscard]] bool has(DWORD bit) const { return (state & bit) != 0; }
};

struct AccessibleTree {
  std::string name;  // the window's client object: its name is the caption
  LONG role = 0;
  std::vector<AccessibleView> children;

  // The first child with this name (and role, when given), or null.
  [[nodiscard]] const AccessibleView* child(std::string_view name, LONG role = 0) const;
};

// The tree under `window`'s client object; nothing when it cannot be read.
std::optional<AccessibleTree> read_accessible_tree(HWND window);

// Does the default action of the first child of `window`'s client object with this name (and
// role, when given), through its own object when it has one. True when the window accepted it.
bool do_default_action(HWND window, std::string_view name, LONG role = 0);

// The events one process raises, heard on a thread of this process through an out-of-context
// hook, as a screen reader hears them. A value or name change is read at once from the object it
// names.
class WinEventLog {
 public:
  struct Event {
    DWORD event = 0;
    HWND window = nullptr;
    LONG object = 0;
    LONG child = 0;
    std::string source;  // the window's class and control id, read when heard
    std::string text;    // the new value or name, read when heard (value and name changes)
  };

  explicit WinEventLog(DWORD pid);
  ~WinEventLog();
  WinEventLog(const WinEventLog&) = delete;
  WinEventLog& operator=(const WinEventLog&) = delete;

  // Every event heard so far (and forgets them).
  std::vector<Event> take();

 private:
  static void CALLBACK on_event(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                                DWORD, DWORD);

  DWORD pid_;
  std::mutex mutex_;
  std::vector<Event> events_;
  DWORD thread_id_ = 0;
  std::thread thread_;
};

// "EVENT_OBJECT_STATECHANGE" and so on, for messages.
std::string event_name(DWORD event);

}  // namespace borelu::testing

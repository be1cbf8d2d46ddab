#pragma once

// The accessible side of one of the program's own windows: its client object and the objects of
// its owner-drawn controls, which a screen reader reaches through Active Accessibility
// (WM_GETOBJECT), in this process or from another. Everything they say comes from the window's
// portable list of items, asked again on every call, so it always matches what the window shows.

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "theme/geometry.h"
#include "ui/access/accessible_item.h"

namespace borelu::ui {

class AccessibleWindow {
 public:
  using ListItems = std::function<std::vector<AccessibleItem>()>;
  // A painted item's logical rectangle in the window's client pixels (mirrored as drawn).
  using Place = std::function<theme::DeviceRect(const theme::LogicalRect&)>;

  AccessibleWindow(ListItems list, Place place);

  // From WM_CREATE to WM_DESTROY. A screen reader may hold an object longer than the window
  // lives: once detached, every object answers that it is gone.
  void attach(HWND window) { window_ = window; }
  void detach() { window_ = nullptr; }
  [[nodiscard]] HWND window() const { return window_; }

  // The window's items in reading order; none once detached.
  [[nodiscard]] std::vector<AccessibleItem> items() const;
  [[nodiscard]] theme::DeviceRect place(const theme::LogicalRect& rect) const {
    return place_(rect);
  }

 private:
  ListItems list_;
  Place place_;
  HWND window_ = nullptr;
};

// WM_GETOBJECT of the window (`control` 0) or of one of its owner-drawn controls: the object of
// our own for OBJID_CLIENT, 0 for anything else so that the system answers as usual.
[[nodiscard]] LRESULT answer_get_object(const std::shared_ptr<AccessibleWindow>& access,
                                        int control, WPARAM wparam, LPARAM lparam);

// Tells screen readers that something about the window changed: `event` (EVENT_OBJECT_...) for
// its client object (`child` CHILDID_SELF) or for one of its painted items (its child id).
void notify_accessible_event(HWND window, DWORD event, LONG child);

}  // namespace borelu::ui

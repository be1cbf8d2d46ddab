#include "theme/hover.h"

#include <atomic>

namespace borelu::theme {

namespace {

// Atomic although only the user-interface thread touches it.
std::atomic<HWND> HOT_CONTROL{nullptr};

}  // namespace

void follow_pointer(HWND control, UINT message) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (HOT_CONTROL.load() != control) {
        const HWND previous = HOT_CONTROL.exchange(control);
        if (previous != nullptr && previous != control) {
          InvalidateRect(previous, nullptr, FALSE);
        }
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, control, 0};
        TrackMouseEvent(&track);
        InvalidateRect(control, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE: {
      HWND expected = control;
      HOT_CONTROL.compare_exchange_strong(expected, nullptr);
      InvalidateRect(control, nullptr, FALSE);
      break;
    }
    case WM_NCDESTROY: {
      HWND expected = control;
      HOT_CONTROL.compare_exchange_strong(expected, nullptr);
      break;
    }
    default:
      break;
  }
}

HWND hot_control() {
  return HOT_CONTROL.load();
}

}  // namespace borelu::theme

#include "theme/hover.h"

#include <commctrl.h>

#include <atomic>

namespace borelu::theme {

namespace {

constexpr UINT_PTR kSubclassId = 1;

// Atomic although only the user-interface thread touches it.
std::atomic<HWND> HOT_CONTROL{nullptr};

LRESULT CALLBACK hover_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            UINT_PTR /*id*/, DWORD_PTR /*data*/) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (HOT_CONTROL.load() != window) {
        const HWND previous = HOT_CONTROL.exchange(window);
        if (previous != nullptr && previous != window) {
          InvalidateRect(previous, nullptr, FALSE);
        }
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        InvalidateRect(window, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE: {
      HWND expected = window;
      HOT_CONTROL.compare_exchange_strong(expected, nullptr);
      InvalidateRect(window, nullptr, FALSE);
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, hover_proc, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace

bool install_hover_tracking(HWND button) {
  return SetWindowSubclass(button, hover_proc, kSubclassId, 0) != FALSE;
}

HWND hot_control() {
  return HOT_CONTROL.load();
}

}  // namespace borelu::theme

#include "ui/window/window_prologue.h"

#include "theme/system_palette.h"
#include "theme/window_placement.h"

namespace borelu::ui {
namespace {

// The window reached a monitor of another DPI (the message's high word): it takes the size and
// place the system suggests, or the one that fits there, and the scale that goes with it.
void take_new_dpi(const WindowPrologue& prologue, HWND window, WPARAM wparam,
                  const RECT& suggested) {
  const theme::WindowPlacement placed = theme::placement_after_dpi_change(
      window, prologue.logical_width, prologue.logical_height, HIWORD(wparam), suggested);
  SetWindowPos(window, nullptr, placed.x, placed.y, placed.width, placed.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  prologue.rescaled(window, placed.scale);
}

// High contrast turned on or off, or its colours changed: everything is drawn again in the
// palette that now holds.
void follow_palette(const WindowPrologue& prologue, HWND window) {
  if (!theme::follow_system_palette(window, prologue.palette)) {
    return;
  }
  if (prologue.palette_changed) {
    prologue.palette_changed(window);
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace

std::optional<LRESULT> answer_prologue(const WindowPrologue& prologue, HWND window, UINT message,
                                       WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_GETOBJECT:
      if (const LRESULT object = answer_get_object(prologue.access, 0, wparam, lparam)) {
        return object;
      }
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      follow_palette(prologue, window);
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_ERASEBKGND:
      return 1;
    case WM_DPICHANGED:
      take_new_dpi(prologue, window, wparam, *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_DESTROY:
      prologue.destroyed(window);
      prologue.access->detach();
      PostQuitMessage(0);
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace borelu::ui

#pragma once

// Flicker-free painting: a paint draws into an off-screen bitmap that uses the target's own
// coordinates and reaches the screen in one BitBlt.

#include <windows.h>

#include <optional>

#include "theme/geometry.h"
#include "theme/palette.h"
#include "win/gdi.h"

namespace borelu::theme {

class PaintBuffer {
 public:
  // A memory context compatible with `target` over `area` (a bitmap of at least 1 x 1), its
  // viewport moved so that drawing uses the target's coordinates, filled with `background`.
  PaintBuffer(HDC target, const DeviceRect& area, Colour background);
  PaintBuffer(const PaintBuffer&) = delete;
  PaintBuffer& operator=(const PaintBuffer&) = delete;

  // Null when the buffer could not be made; the paint then draws nothing.
  [[nodiscard]] HDC dc() const { return dc_.get(); }
  [[nodiscard]] const DeviceRect& area() const { return area_; }

  // Copies the buffer to the target.
  void present();

 private:
  HDC target_;
  DeviceRect area_;
  win::MemoryDc dc_;
  win::Bitmap bitmap_;
  std::optional<win::Selection> selection_;  // restored before the bitmap and context go
};

[[nodiscard]] inline DeviceRect device_rect(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

// WM_PAINT of a window: the part of the client area the system asks for, through a PaintBuffer;
// draw(HDC, DeviceRect area) may leave out what lies wholly outside that area.
template <class Draw>
void paint_window(HWND window, Colour background, Draw&& draw) {
  PAINTSTRUCT ps{};
  const HDC target = BeginPaint(window, &ps);
  RECT client{};
  RECT dirty{};
  if (target != nullptr && GetClientRect(window, &client) &&
      IntersectRect(&dirty, &client, &ps.rcPaint)) {
    PaintBuffer buffer(target, device_rect(dirty), background);
    if (buffer.dc() != nullptr) {
      draw(buffer.dc(), buffer.area());
      buffer.present();
    }
  }
  EndPaint(window, &ps);
}

// WM_DRAWITEM of an owner-drawn control: its item rectangle through a PaintBuffer.
template <class Draw>
void paint_item(const DRAWITEMSTRUCT& item, Colour background, Draw&& draw) {
  PaintBuffer buffer(item.hDC, device_rect(item.rcItem), background);
  if (buffer.dc() != nullptr) {
    draw(buffer.dc(), buffer.area());
    buffer.present();
  }
}

}  // namespace borelu::theme

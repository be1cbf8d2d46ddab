#include "theme/paint_buffer.h"

#include <algorithm>

namespace borelu::theme {

PaintBuffer::PaintBuffer(HDC target, const DeviceRect& area, Colour background)
    : target_(target), area_(area), dc_(CreateCompatibleDC(target)) {
  if (!dc_) {
    return;
  }
  bitmap_.reset(
      CreateCompatibleBitmap(target, std::max(area.width(), 1), std::max(area.height(), 1)));
  if (!bitmap_) {
    dc_.reset();
    return;
  }
  selection_.emplace(dc_.get(), bitmap_.get());
  SetViewportOrgEx(dc_.get(), -area.left, -area.top, nullptr);
  const win::Brush brush(CreateSolidBrush(background.colorref()));
  const RECT fill{area.left, area.top, area.right, area.bottom};
  FillRect(dc_.get(), &fill, brush.get());
}

void PaintBuffer::present() {
  if (!dc_) {
    return;
  }
  SetViewportOrgEx(dc_.get(), 0, 0, nullptr);
  BitBlt(target_, area_.left, area_.top, area_.width(), area_.height(), dc_.get(), 0, 0, SRCCOPY);
}

}  // namespace borelu::theme

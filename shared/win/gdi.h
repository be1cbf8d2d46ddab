#pragma once

// Owners for the GDI resources a paint makes and drops again: memory device contexts, icons and
// objects selected into a device context.

#include <windows.h>

#include "win/handles.h"

namespace borelu::win {

struct MemoryDcTraits {
  using type = HDC;
  static type invalid() noexcept { return nullptr; }
  static void close(type dc) noexcept { DeleteDC(dc); }
};

struct IconTraits {
  using type = HICON;
  static type invalid() noexcept { return nullptr; }
  static void close(type icon) noexcept { DestroyIcon(icon); }
};

using MemoryDc = Owned<MemoryDcTraits>;  // from CreateCompatibleDC
using Icon = Owned<IconTraits>;          // from LoadImageW, not shared

// Selects an object into a device context for its lifetime, then selects the previous one back,
// so the object can be deleted after the selection ends.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  ~Selection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) {
      SelectObject(dc_, previous_);
    }
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace borelu::win

#pragma once

// An owner for a window the program created and must destroy.

#include <windows.h>

#include "win/handles.h"

namespace borelu::win {

struct WindowTraits {
  using type = HWND;
  static type invalid() noexcept { return nullptr; }
  static void close(type window) noexcept { DestroyWindow(window); }
};

using Window = Owned<WindowTraits>;

}  // namespace borelu::win

#pragma once

#include <windows.h>

#include "theme/palette.h"

namespace borelu::theme {

// Dark title bar in the theme's colours with round corners, asked of DWM while a window handles
// WM_CREATE. In high contrast the title bar is left to the system's scheme (light mode, default
// caption colours), and is put back so when the scheme changes while the window is open. Systems
// that lack an attribute refuse it; that is ignored.
void apply_dark_frame(HWND window, const Palette& palette);

}  // namespace borelu::theme

#pragma once

#include <windows.h>

namespace borelu::theme {

// Dark title bar in the theme's colours with round corners, asked of DWM while a window handles
// WM_CREATE. Systems that lack an attribute refuse it; that is ignored.
void apply_dark_frame(HWND window);

}  // namespace borelu::theme

#pragma once

// The palette the windows draw with right now: whether the user has turned Windows' high-contrast
// mode on, and the colours of the scheme it uses.

#include <windows.h>

#include "theme/palette.h"

namespace borelu::theme {

// Read again whenever the system says its settings or colours changed.
[[nodiscard]] Palette system_palette();

// A window told that the system's settings or colours changed: `palette` becomes the system's
// and the window's frame follows it. False when nothing changed, and nothing needs drawing again.
[[nodiscard]] bool follow_system_palette(HWND window, Palette& palette);

}  // namespace borelu::theme

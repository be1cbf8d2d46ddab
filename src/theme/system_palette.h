#pragma once

// The palette the windows draw with right now: whether the user has turned Windows' high-contrast
// mode on, and the colours of the scheme it uses.

#include "theme/palette.h"

namespace borelu::theme {

// Read again whenever the system says its settings or colours changed.
[[nodiscard]] Palette system_palette();

}  // namespace borelu::theme

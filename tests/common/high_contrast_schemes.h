#pragma once

// Windows' own high-contrast schemes, as their colour settings give them, for drawing what high
// contrast looks like on a system (Wine) that cannot turn it on.

#include "theme/palette.h"

namespace borelu::testing {

// "High Contrast Black" (Windows 10): light text on black, cyan selection, yellow links.
inline constexpr theme::SystemColours HIGH_CONTRAST_BLACK{
    .window = {0x000000},
    .window_text = {0xFFFFFF},
    .highlight = {0x1AEBFF},
    .highlight_text = {0x000000},
    .button_face = {0x000000},
    .button_text = {0xFFFFFF},
    .grey_text = {0x3FF23F},
    .hot_light = {0xFFFF00},
};

// "High Contrast White" (Windows 10): black text on white, purple selection, blue links.
inline constexpr theme::SystemColours HIGH_CONTRAST_WHITE{
    .window = {0xFFFFFF},
    .window_text = {0x000000},
    .highlight = {0x37006E},
    .highlight_text = {0xFFFFFF},
    .button_face = {0xFFFFFF},
    .button_text = {0x000000},
    .grey_text = {0x600000},
    .hot_light = {0x00009F},
};

}  // namespace borelu::testing

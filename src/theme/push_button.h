#pragma once

#include <windows.h>

#include <string_view>

#include "theme/push_button_look.h"

namespace borelu::theme {

// Disabled, pressed and focused from the draw-item state (focus only when the focus rectangle
// is not suppressed), hovered from the hover tracking.
[[nodiscard]] ButtonState button_state(const DRAWITEMSTRUCT& item);

// The owner drawing of the wizard's Next/Install, Back and Cancel buttons and of the progress
// window's Cancel button, in answer to WM_DRAWITEM.
void draw_push_button(const DRAWITEMSTRUCT& item, std::string_view text, ButtonVariant variant,
                      HFONT font, float scale, bool right_to_left, const Palette& palette);

}  // namespace borelu::theme

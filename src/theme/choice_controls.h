#pragma once

// The owner drawing of the wizard's choices in answer to WM_DRAWITEM: the language cards with a
// radio mark, the agreement row with a check box and the rows with a switch.

#include <windows.h>

#include <string_view>

#include "theme/choice_layout.h"
#include "theme/fonts.h"

namespace borelu::theme {

// What one drawing of a choice needs besides the draw-item record. The control's text is read
// from its window.
struct ChoiceDrawing {
  ChoiceKind kind = ChoiceKind::switch_row;
  bool on = false;                 // the wizard's state of the choice
  bool right_to_left = false;      // the wizard's direction
  std::string_view subtitle = {};  // a language card's second line, in the card's own language
  float scale = 1.0f;
};

void draw_choice_control(const DRAWITEMSTRUCT& item, const ChoiceDrawing& choice,
                         const WizardFonts& fonts, const Palette& palette);

}  // namespace borelu::theme

#pragma once

// The owner drawing of the wizard's choices in answer to WM_DRAWITEM: the language cards with a
// radio mark, the agreement row with a check box and the rows with a switch.

#include <windows.h>

#include "theme/choice_layout.h"
#include "theme/fonts.h"
#include "ui/language.h"

namespace borelu::theme {

// `on` is the wizard's state of the choice; the control's text is read from its window.
void draw_choice_control(const DRAWITEMSTRUCT& item, ChoiceKind kind, bool on,
                         ui::Language wizard_language, float scale, const WizardFonts& fonts);

}  // namespace borelu::theme

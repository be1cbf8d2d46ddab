#pragma once

// The wizard's controls, described once: each one's id, what kind of window it is, the role a
// screen reader is told, how an owner-drawn choice is drawn or a footer button styled, the page
// it is on, where it goes and its window text. The window makes its children from this table,
// draws them by it, and the accessible page and the radio group's arrow keys read it too.

#include <optional>
#include <span>
#include <string_view>

#include "theme/choice_layout.h"
#include "theme/geometry.h"
#include "theme/push_button_look.h"
#include "theme/typography.h"
#include "ui/access/accessible_item.h"
#include "ui/language.h"

namespace borelu::ui::wizard {

// Child ids, which are also the low word of WM_COMMAND's wParam. Enter and Escape reach the
// window through IsDialogMessageW as IDOK (1) and IDCANCEL (2).
namespace control {
inline constexpr int ENTER_KEY = 1;
inline constexpr int ESCAPE_KEY = 2;
inline constexpr int NEXT = 101;  // "Install" on the last page
inline constexpr int BACK = 102;
inline constexpr int CANCEL = 103;
inline constexpr int ENGLISH_CARD = 110;
inline constexpr int ARABIC_CARD = 111;
inline constexpr int AGREEMENT = 112;
inline constexpr int STARTUP_SWITCH = 113;
inline constexpr int DESKTOP_SWITCH = 114;
inline constexpr int START_MENU_SWITCH = 115;
inline constexpr int TERMS_TEXT = 116;
}  // namespace control

enum class ControlKind { push_button, choice, terms_text };

// Footer buttons: Next/Install primary and semibold, Back secondary and semibold, Cancel ghost.
struct ButtonStyle {
  theme::ButtonVariant variant;
  theme::WizardFont font;
};

// The page of the footer's buttons, which every page has.
inline constexpr int EVERY_PAGE = -1;

struct WizardControl {
  int id = 0;
  ControlKind kind = ControlKind::push_button;
  AccessibleRole role = AccessibleRole::push_button;
  std::optional<theme::ChoiceKind> look = std::nullopt;  // a choice's drawing
  std::optional<ButtonStyle> style = std::nullopt;       // a footer button's
  int page = EVERY_PAGE;
  theme::LogicalRect rect{};
  // The window text in the wizard's two languages (a language card names its own language in
  // both); none for the terms text, which is the terms document.
  TextPair text{};
  std::string_view subtitle{};  // a language card's second line, in the card's own language
};

// Every control in creation order, which is also the Tab order: each page's own, then the
// footer's Cancel, Back and Next. The language cards are one radio group, in a row.
[[nodiscard]] std::span<const WizardControl> wizard_controls();

// The control `id`, or null.
[[nodiscard]] const WizardControl* find_wizard_control(int id);

// How the choice `id` is drawn; nothing for a control that is not one of the owner-drawn choices.
[[nodiscard]] std::optional<theme::ChoiceKind> choice_kind_for_id(int id);

}  // namespace borelu::ui::wizard

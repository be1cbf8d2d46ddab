#include "ui/wizard/wizard_controls.h"

#include <algorithm>
#include <array>

#include "ui/catalogue.h"

namespace borelu::ui::wizard {
namespace {

using theme::ChoiceKind;
using theme::WizardFont;
using namespace control;

constexpr WizardControl card(int id, ChoiceKind look, theme::LogicalRect rect,
                             std::string_view title, std::string_view subtitle) {
  return {.id = id,
          .kind = ControlKind::choice,
          .role = AccessibleRole::radio_button,
          .look = look,
          .page = 0,
          .rect = rect,
          .text = {title, title},
          .subtitle = subtitle};
}

constexpr WizardControl check(int id, ChoiceKind look, int page, theme::LogicalRect rect,
                              TextPair text) {
  return {.id = id,
          .kind = ControlKind::choice,
          .role = AccessibleRole::check_button,
          .look = look,
          .page = page,
          .rect = rect,
          .text = text};
}

constexpr WizardControl footer(int id, theme::ButtonVariant variant, WizardFont font,
                               theme::LogicalRect rect, TextPair text) {
  return {.id = id, .style = ButtonStyle{variant, font}, .rect = rect, .text = text};
}

constexpr std::array kControls{
    card(ENGLISH_CARD, ChoiceKind::english_card, {36, 214, 316, 104}, text::kEnglishCardTitle,
         text::kEnglishCardSubtitle),
    card(ARABIC_CARD, ChoiceKind::arabic_card, {368, 214, 316, 104}, text::kArabicCardTitle,
         text::kArabicCardSubtitle),
    WizardControl{.id = TERMS_TEXT,
                  .kind = ControlKind::terms_text,
                  .role = AccessibleRole::standard,
                  .page = 1,
                  .rect = {54, 172, 624, 222}},
    check(AGREEMENT, ChoiceKind::agreement, 1, {36, 424, 648, 50}, text::kAgreement),
    check(STARTUP_SWITCH, ChoiceKind::switch_row, 2, {36, 200, 648, 54}, text::kSwitchStartup),
    check(START_MENU_SWITCH, ChoiceKind::switch_row, 2, {36, 262, 648, 54}, text::kSwitchStartMenu),
    check(DESKTOP_SWITCH, ChoiceKind::switch_row, 2, {36, 324, 648, 54}, text::kSwitchDesktop),
    footer(CANCEL, theme::ButtonVariant::ghost, WizardFont::body, {36, 510, 112, 44},
           text::kCancel),
    footer(BACK, theme::ButtonVariant::secondary, WizardFont::body_semibold, {412, 510, 112, 44},
           text::kBack),
    footer(NEXT, theme::ButtonVariant::primary, WizardFont::body_semibold, {534, 510, 150, 44},
           text::kNext),
};

}  // namespace

std::span<const WizardControl> wizard_controls() {
  return kControls;
}

const WizardControl* find_wizard_control(int id) {
  const auto found = std::ranges::find(kControls, id, &WizardControl::id);
  return found == kControls.end() ? nullptr : &*found;
}

std::optional<theme::ChoiceKind> choice_kind_for_id(int id) {
  const WizardControl* found = find_wizard_control(id);
  return found != nullptr ? found->look : std::nullopt;
}

}  // namespace borelu::ui::wizard

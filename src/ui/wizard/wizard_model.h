#pragma once

// The setup wizard decided without Windows: its choices and page, the controls each page has and
// where they go, which footer buttons are enabled and what gets the focus, what every command
// does, and everything the window paints, as data. The window procedure only carries it out.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "protocol/options.h"
#include "theme/geometry.h"
#include "theme/palette.h"
#include "theme/push_button_look.h"
#include "theme/typography.h"
#include "ui/language.h"
#include "ui/wizard/wizard_controls.h"

namespace borelu::ui::wizard {

inline constexpr int PAGE_COUNT = 4;

struct WizardModel {
  // The choices as the wizard collects them; initially the wizard's defaults.
  options::SetupOptions choices;
  std::uint8_t page = 0;  // 0 to 3; the step counter shows page + 1
  // The confirmed choices, set only by Install on the last page.
  std::optional<options::SetupOptions> result;

  [[nodiscard]] Language language() const { return language_of(choices.language); }
  [[nodiscard]] bool terms_accepted() const {
    return choices.acceptedPolicy == options::TERMS_VERSION;
  }
};

// The on/off state of a choice control (110 to 115) as it is drawn and toggled; false for any
// other id.
[[nodiscard]] bool is_on(const WizardModel& model, int id);

struct ControlSpec {
  int id = 0;
  ControlKind kind = ControlKind::push_button;
  theme::LogicalRect rect;
  std::string text;  // the window text, UTF-8
};

// The current page's controls in creation order (which is also the Tab order): the page's own,
// then Cancel, Back and Next.
[[nodiscard]] std::vector<ControlSpec> page_controls(const WizardModel& model);

// The window text of a button on the current page (what its owner drawing shows).
[[nodiscard]] std::string_view button_text(const WizardModel& model, int id);

// A language card's second line, in the card's own language; empty for every other control.
[[nodiscard]] std::string_view choice_subtitle(int id);

// The language cards are one radio group: an arrow key on one card chooses the next card in the
// group (or the previous one), wrapping round; nothing for a control outside the group.
[[nodiscard]] std::optional<int> radio_group_step(int id, bool forward);

[[nodiscard]] bool back_enabled(const WizardModel& model);
[[nodiscard]] bool next_enabled(const WizardModel& model);
// The agreement on the terms page, Next everywhere else.
[[nodiscard]] int initial_focus(const WizardModel& model);

// What the window does after a command has changed the model.
enum class Reaction {
  none,
  rebuild,                   // a new page or language: the controls are made again
  close,                     // the window is destroyed; `result` tells whether Install was chosen
  repaint_control,           // a toggled choice is drawn again
  repaint_control_and_next,  // the agreement: Next is enabled by it and drawn again too
};

[[nodiscard]] Reaction apply_command(WizardModel& model, int id);

// A footer button's style (wizard_controls); nothing for any other control.
[[nodiscard]] std::optional<ButtonStyle> footer_button_style(int id);

// What WM_PAINT draws, in logical coordinates of the 720-wide wizard (mirrored by the window in
// Arabic). Radii and pen widths are in DIPs.
struct FilledShape {
  theme::LogicalRect rect;
  float radius = 0;
  theme::Colour colour;
  std::uint8_t alpha = 255;
};

struct OutlinedShape {
  theme::LogicalRect rect;
  float radius = 0;
  theme::Colour colour;
  float pen_width = 0;
};

// A filled circle whose box starts at the top-left corner of `box` once placed.
struct Dot {
  theme::LogicalRect box;
  float diameter = 0;
  theme::Colour colour;
};

using Shape = std::variant<FilledShape, OutlinedShape, Dot>;

// How a screen reader reads a painted text.
enum class Speech {
  read,    // on its own
  label,   // as the name of one item whose value is the text after it (a summary row)
  silent,  // not at all: the brand beside the icon repeats the window's name
};

struct TextItem {
  theme::LogicalRect rect;
  std::string text;
  theme::WizardFont font = theme::WizardFont::body;
  theme::Colour colour;
  theme::Align align = theme::Align::start;
  theme::TextFormat format = theme::TextFormat::single_line;
  Speech speech = Speech::read;
};

struct WizardPaint {
  std::vector<Shape> shapes;  // drawn first, in order
  theme::LogicalRect icon;    // the program icon, size 36 DIPs
  std::vector<TextItem> texts;
  bool right_to_left = false;  // every text's direction, and the mirroring of every rectangle
};

// `installation_folder` is shown on the last page (looked up by the caller on every paint; empty
// when it could not be read).
[[nodiscard]] WizardPaint wizard_paint(const WizardModel& model,
                                       std::string_view installation_folder,
                                       const theme::Palette& palette);

}  // namespace borelu::ui::wizard

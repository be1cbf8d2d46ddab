// Renders every state of the owner-drawn controls, in English and in Arabic, through the real
// WM_DRAWITEM routines into one image, in the dark look or in one of Windows' high-contrast
// schemes (which Wine cannot turn on, so the palette is given here):
//   render_controls_sheet OUT.bmp [SCALE] [dark|high-contrast-black|high-contrast-white]
// tools/render_controls_sheet.sh runs it under Wine and turns the image into docs/ PNG.

#include <windows.h>

#include <cwchar>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control_bench.h"
#include "high_contrast_schemes.h"
#include "theme/canvas.h"
#include "theme/choice_controls.h"
#include "theme/fonts.h"
#include "theme/push_button.h"
#include "ui/catalogue.h"
#include "ui/wizard/wizard_model.h"

namespace {

using namespace borelu;
using theme::LogicalRect;

struct State {
  const char* name;
  UINT item_state;
  bool hovered;
};

constexpr State kButtonStates[] = {{"rest", 0, false},
                                   {"hovered", 0, true},
                                   {"pressed", ODS_SELECTED, false},
                                   {"hovered, pressed", ODS_SELECTED, true},
                                   {"focused", ODS_FOCUS, false},
                                   {"disabled", ODS_DISABLED, false}};

constexpr State kChoiceStates[] = {
    {"rest", 0, false}, {"hovered", 0, true}, {"focused", ODS_FOCUS, false}};

// One control drawn at a place of the sheet, with a caption above it.
struct Placed {
  LogicalRect rect;
  std::string caption;
  HWND control;
  UINT item_state;
  bool hovered;
  std::function<void(const DRAWITEMSTRUCT&)> draw;
};

constexpr float kPanelWidth = 720;
constexpr float kMargin = 24;
constexpr float kGap = 14;
constexpr float kCaption = 18;

// Places items left to right inside one panel, wrapping at its width.
class Flow {
 public:
  explicit Flow(float panel_x) : panel_x_(panel_x), x_(kMargin), y_(kMargin + 30) {}

  LogicalRect next(float w, float h) {
    if (x_ + w > kPanelWidth - kMargin + 0.5f) {
      new_row();
    }
    const LogicalRect r{panel_x_ + x_, y_ + kCaption, w, h};
    x_ += w + kGap;
    row_height_ = std::max(row_height_, h + kCaption);
    return r;
  }
  void new_row() {
    if (row_height_ > 0) {
      y_ += row_height_ + kGap;
    }
    x_ = kMargin;
    row_height_ = 0;
  }
  void section_break() {
    new_row();
    y_ += 10;
  }
  [[nodiscard]] float bottom() const { return y_ + row_height_ + kMargin; }

 private:
  float panel_x_;
  float x_;
  float y_;
  float row_height_ = 0;
};

std::optional<theme::Palette> palette_named(std::wstring_view name) {
  if (name == L"dark") {
    return theme::DARK_PALETTE;
  }
  if (name == L"high-contrast-black") {
    return theme::high_contrast_palette(testing::HIGH_CONTRAST_BLACK);
  }
  if (name == L"high-contrast-white") {
    return theme::high_contrast_palette(testing::HIGH_CONTRAST_WHITE);
  }
  return std::nullopt;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const auto chosen = palette_named(argc > 3 ? argv[3] : L"dark");
  if (argc < 2 || !chosen) {
    std::fwprintf(stderr,
                  L"usage: render_controls_sheet OUT.bmp [SCALE] "
                  L"[dark|high-contrast-black|high-contrast-white]\n");
    return 2;
  }
  const theme::Palette palette = *chosen;
  const float scale = argc > 2 ? std::wcstof(argv[2], nullptr) : 1.0f;
  testing::ControlBench bench;
  const theme::WizardFonts fonts = theme::create_wizard_fonts(scale);
  std::vector<Placed> placed;
  float height = 0;

  for (const ui::Language language : {ui::Language::english, ui::Language::arabic}) {
    const bool rtl = ui::is_right_to_left(language);
    Flow flow(rtl ? kPanelWidth : 0);
    const struct {
      const char* name;
      theme::ButtonVariant variant;
      ui::TextPair text;
      float width;
      theme::WizardFont font;
    } buttons[] = {
        {"primary", theme::ButtonVariant::primary, ui::text::kNext, 150,
         theme::WizardFont::body_semibold},
        {"secondary", theme::ButtonVariant::secondary, ui::text::kBack, 112,
         theme::WizardFont::body_semibold},
        {"ghost", theme::ButtonVariant::ghost, ui::text::kCancel, 112, theme::WizardFont::body},
    };
    for (const auto& button : buttons) {
      const HWND control = bench.add(101, "");
      for (const State& state : kButtonStates) {
        placed.push_back(
            {flow.next(button.width, 44), std::string(button.name) + ", " + state.name, control,
             state.item_state, state.hovered,
             [&fonts, &palette, button, language, scale, rtl](const DRAWITEMSTRUCT& item) {
               theme::draw_push_button(item, ui::pick(button.text, language), button.variant,
                                       fonts[button.font], scale, rtl, palette);
             }});
      }
      flow.new_row();
    }
    flow.section_break();

    const struct {
      const char* name;
      int id;
      std::string_view text;
      float width;
      float height;
    } choices[] = {
        {"English card", 110, ui::text::kEnglishCardTitle, 316, 104},
        {"Arabic card", 111, ui::text::kArabicCardTitle, 316, 104},
        {"agreement", 112, ui::pick(ui::text::kAgreement, language), 648, 50},
        {"switch", 113, ui::pick(ui::text::kSwitchStartup, language), 648, 54},
    };
    for (const auto& choice : choices) {
      const HWND control = bench.add(choice.id, choice.text);
      const theme::ChoiceKind kind = *ui::wizard::choice_kind_for_id(choice.id);
      for (const bool on : {true, false}) {
        for (const State& state : kChoiceStates) {
          placed.push_back({flow.next(choice.width, choice.height),
                            std::string(choice.name) + (on ? ", on, " : ", off, ") + state.name,
                            control, state.item_state, state.hovered,
                            [&fonts, &palette, kind, on, rtl, scale,
                             id = choice.id](const DRAWITEMSTRUCT& item) {
                              theme::draw_choice_control(
                                  item,
                                  {.kind = kind,
                                   .on = on,
                                   .right_to_left = rtl,
                                   .subtitle = ui::wizard::choice_subtitle(id),
                                   .scale = scale},
                                  fonts, palette);
                            }});
        }
      }
      flow.section_break();
    }
    height = std::max(height, flow.bottom());
  }

  const theme::LogicalSpace space{2 * kPanelWidth, scale, false};
  const theme::DeviceRect whole = theme::scale_rect({0, 0, 2 * kPanelWidth, height}, space);
  testing::Dib sheet(whole.width(), whole.height(), palette.background);
  const HDC dc = sheet.dc();
  theme::draw_text(dc, std::string_view("English: left to right"),
                   theme::scale_rect({kMargin, kMargin, 300, 24}, space),
                   fonts[theme::WizardFont::card_title], palette.text_primary, theme::Align::start,
                   false, theme::TextFormat::single_line);
  theme::draw_text(dc, std::string_view("Arabic: right to left"),
                   theme::scale_rect({kPanelWidth + kMargin, kMargin, 300, 24}, space),
                   fonts[theme::WizardFont::card_title], palette.text_primary, theme::Align::start,
                   false, theme::TextFormat::single_line);
  sheet.fill(theme::scale_rect({kPanelWidth, 0, 1, height}, space), palette.border);

  for (const Placed& item : placed) {
    const theme::DeviceRect rect = theme::scale_rect(item.rect, space);
    theme::draw_text(
        dc, std::string_view(item.caption),
        theme::scale_rect({item.rect.x, item.rect.y - kCaption, item.rect.w, kCaption}, space),
        fonts[theme::WizardFont::small], palette.text_secondary, theme::Align::start, false,
        theme::TextFormat::single_line_ellipsis);
    if (item.hovered) {
      testing::ControlBench::move_onto(item.control);
    }
    item.draw(testing::draw_item(item.control, dc, rect, item.item_state));
    if (item.hovered) {
      testing::ControlBench::leave(item.control);
    }
  }
  return sheet.write_bmp(argv[1]) ? 0 : 1;
}

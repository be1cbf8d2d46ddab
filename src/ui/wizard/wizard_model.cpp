#include "ui/wizard/wizard_model.h"

#include <algorithm>
#include <array>

#include "manifest/update_host.h"
#include "ui/catalogue.h"

namespace borelu::ui::wizard {
namespace {

using theme::Align;
using theme::LogicalRect;
using theme::TextFormat;
using theme::WizardFont;
using namespace control;

constexpr std::uint8_t kTermsPage = 1;
constexpr std::uint8_t kLastPage = PAGE_COUNT - 1;

// The edit control wants CR LF line ends; the document has bare line feeds.
std::string with_crlf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') {
      out.push_back('\r');
    }
    out.push_back(c);
  }
  return out;
}

TextItem item(LogicalRect rect, std::string_view value, WizardFont font, theme::Colour colour,
              Align align, TextFormat format, Speech speech = Speech::read) {
  return {rect, std::string(value), font, colour, align, format, speech};
}

void add_page_contents(const WizardModel& model, std::string_view folder,
                       const theme::Palette& palette, WizardPaint& paint) {
  const Language language = model.language();
  const auto t = [language](const TextPair& pair) { return pick(pair, language); };
  const auto yes_no = [&](bool on) { return t(on ? text::kYes : text::kNo); };
  auto& texts = paint.texts;

  switch (model.page) {
    case 0:
      texts.push_back(item({36, 160, 648, 44}, t(text::kPage1Paragraph), WizardFont::body,
                           palette.text_secondary, Align::start, TextFormat::wrapped));
      for (int k = 0; k < 3; ++k) {
        const float shift = 36.0f * static_cast<float>(k);
        paint.shapes.push_back(Dot{{58, 368 + shift, 7, 7}, 7, palette.accent});
        const std::string bullet = k == 0   ? std::string(t(text::kPage1Bullet1))
                                   : k == 1 ? page1_bullet2(manifest::UPDATE_HOST, language)
                                            : std::string(t(text::kPage1Bullet3));
        texts.push_back(item({78, 360 + shift, 588, 26}, bullet, WizardFont::body,
                             palette.text_primary, Align::start, TextFormat::single_line_ellipsis));
      }
      break;
    case 1:
      break;  // the terms and the agreement are child windows on the card
    case 2:
      texts.push_back(item({36, 160, 648, 26}, t(text::kPage3Paragraph), WizardFont::body,
                           palette.text_secondary, Align::start, TextFormat::wrapped));
      texts.push_back(item({56, 416, 608, 52}, t(text::kPage3Note), WizardFont::small,
                           palette.text_secondary, Align::start, TextFormat::wrapped));
      break;
    default: {
      const std::array<std::pair<std::string_view, std::string_view>, 4> rows{{
          {t(text::kSummaryLanguage), t(text::kSummaryLanguageValue)},
          {t(text::kSummaryStartup), yes_no(model.choices.startup)},
          {t(text::kSummaryStartMenu), yes_no(model.choices.startMenu)},
          {t(text::kSummaryDesktop), yes_no(model.choices.desktop)},
      }};
      for (int k = 0; k < 4; ++k) {
        const float base = 207 + 38.0f * static_cast<float>(k);
        texts.push_back(item({56, base - 33, 300, 28}, rows[k].first, WizardFont::body,
                             palette.text_secondary, Align::start, TextFormat::single_line_centred,
                             Speech::label));
        texts.push_back(item({424, base - 33, 240, 28}, rows[k].second, WizardFont::body_semibold,
                             palette.text_primary, Align::end, TextFormat::single_line_centred));
        if (k < 3) {
          paint.shapes.push_back(
              FilledShape{{56, base, 608, 1}, 0, palette.border, palette.alpha(140)});
        }
      }
      texts.push_back(item({56, 360, 608, 22}, t(text::kInstallationFolder), WizardFont::small,
                           palette.text_secondary, Align::start, TextFormat::single_line,
                           Speech::label));
      texts.push_back(item({56, 384, 608, 26}, folder, WizardFont::body_semibold,
                           palette.text_primary, Align::start,
                           TextFormat::single_line_path_ellipsis));
      texts.push_back(item({36, 432, 648, 48}, t(text::kPage4Note), WizardFont::small,
                           palette.text_secondary, Align::start, TextFormat::wrapped));
      break;
    }
  }
}

std::vector<LogicalRect> page_cards(std::uint8_t page) {
  switch (page) {
    case 0:
      return {{36, 340, 648, 140}};
    case 1:
      return {{36, 160, 648, 246}};
    case 2:
      return {{36, 404, 648, 72}};
    default:
      return {{36, 160, 648, 178}, {36, 350, 648, 70}};
  }
}

std::string_view page_title(std::uint8_t page, Language language) {
  static constexpr std::array<TextPair, PAGE_COUNT> kTitles{text::kPage1Title, text::kPage2Title,
                                                            text::kPage3Title, text::kPage4Title};
  return pick(kTitles[page], language);
}

}  // namespace

bool is_on(const WizardModel& model, int id) {
  const options::SetupOptions& c = model.choices;
  switch (id) {
    case ENGLISH_CARD:
      return !is_arabic(c.language);
    case ARABIC_CARD:
      return is_arabic(c.language);
    case AGREEMENT:
      return model.terms_accepted();
    case STARTUP_SWITCH:
      return c.startup;
    case DESKTOP_SWITCH:
      return c.desktop;
    case START_MENU_SWITCH:
      return c.startMenu;
    default:
      return false;
  }
}

std::string_view choice_subtitle(int id) {
  const WizardControl* found = find_wizard_control(id);
  return found != nullptr ? found->subtitle : std::string_view();
}

std::optional<int> radio_group_step(int id, bool forward) {
  // The group is the run of radio buttons around `id` in the table, all on one page.
  const auto controls = wizard_controls();
  const auto at = std::ranges::find(controls, id, &WizardControl::id);
  if (at == controls.end() || at->role != AccessibleRole::radio_button) {
    return std::nullopt;
  }
  const auto in_group = [&](const WizardControl& c) {
    return c.role == AccessibleRole::radio_button && c.page == at->page;
  };
  auto first = at;
  while (first != controls.begin() && in_group(*(first - 1))) {
    --first;
  }
  auto last = at + 1;
  while (last != controls.end() && in_group(*last)) {
    ++last;
  }
  const std::ptrdiff_t size = last - first;
  const std::ptrdiff_t index = at - first;
  return (first + (index + (forward ? 1 : size - 1)) % size)->id;
}

std::string_view button_text(const WizardModel& model, int id) {
  if (id == NEXT && model.page == kLastPage) {
    return pick(text::kInstall, model.language());
  }
  const WizardControl* found = find_wizard_control(id);
  return found != nullptr ? pick(found->text, model.language()) : std::string_view();
}

std::vector<ControlSpec> page_controls(const WizardModel& model) {
  std::vector<ControlSpec> controls;
  const auto add = [&](const WizardControl& c) {
    controls.push_back({c.id, c.kind, c.rect,
                        c.kind == ControlKind::terms_text
                            ? with_crlf(terms_document(model.language()))
                            : std::string(button_text(model, c.id))});
  };
  for (const WizardControl& c : wizard_controls()) {
    if (c.page == model.page) {
      add(c);
    }
  }
  for (const WizardControl& c : wizard_controls()) {
    if (c.page == EVERY_PAGE) {
      add(c);
    }
  }
  return controls;
}

bool back_enabled(const WizardModel& model) {
  return model.page != 0;
}

bool next_enabled(const WizardModel& model) {
  return model.page != kTermsPage || model.terms_accepted();
}

int initial_focus(const WizardModel& model) {
  return model.page == kTermsPage ? AGREEMENT : NEXT;
}

Reaction apply_command(WizardModel& model, int id) {
  options::SetupOptions& c = model.choices;
  switch (id) {
    case NEXT:
    case ENTER_KEY:
      if (!next_enabled(model)) {
        return Reaction::none;
      }
      if (model.page == kLastPage) {
        model.result = c;
        return Reaction::close;
      }
      ++model.page;
      return Reaction::rebuild;
    case BACK:
      if (!back_enabled(model)) {
        return Reaction::none;
      }
      --model.page;
      return Reaction::rebuild;
    case CANCEL:
    case ESCAPE_KEY:
      return Reaction::close;
    case ENGLISH_CARD:
      c.language = "en";
      return Reaction::rebuild;
    case ARABIC_CARD:
      c.language = "ar";
      return Reaction::rebuild;
    case AGREEMENT:
      c.acceptedPolicy = model.terms_accepted() ? "" : std::string(options::TERMS_VERSION);
      return Reaction::repaint_control_and_next;
    case STARTUP_SWITCH:
      c.startup = !c.startup;
      return Reaction::repaint_control;
    case DESKTOP_SWITCH:
      c.desktop = !c.desktop;
      return Reaction::repaint_control;
    case START_MENU_SWITCH:
      c.startMenu = !c.startMenu;
      return Reaction::repaint_control;
    default:
      return Reaction::none;
  }
}

std::optional<ButtonStyle> footer_button_style(int id) {
  const WizardControl* found = find_wizard_control(id);
  return found != nullptr ? found->style : std::nullopt;
}

WizardPaint wizard_paint(const WizardModel& model, std::string_view installation_folder,
                         const theme::Palette& palette) {
  const Language language = model.language();
  const theme::Palette& p = palette;
  WizardPaint paint;
  paint.right_to_left = is_right_to_left(language);

  for (int i = 0; i < PAGE_COUNT; ++i) {
    const bool reached = i < model.page + 1;
    paint.shapes.push_back(FilledShape{
        {530 + 40.0f * static_cast<float>(i), 40, 34, 5}, 2.5f, reached ? p.accent : p.border});
  }
  paint.shapes.push_back(FilledShape{{0, 92, 720, 1}, 0, p.border, p.alpha(160)});
  for (const LogicalRect& card : page_cards(model.page)) {
    paint.shapes.push_back(FilledShape{card, 14, p.surface});
    // High contrast outlines every card: its fill is the window's own colour.
    if (model.page == kTermsPage || p.high_contrast) {
      paint.shapes.push_back(OutlinedShape{card, 14, p.border, 1});
    }
  }
  paint.shapes.push_back(FilledShape{{0, 492, 720, 1}, 0, p.border, p.alpha(160)});

  paint.icon = {36, 28, 36, 36};
  paint.texts.push_back(item({84, 28, 200, 36}, pick(text::kBrand, language), WizardFont::brand,
                             p.text_primary, Align::start, TextFormat::single_line_centred,
                             Speech::silent));
  paint.texts.push_back(item({484, 54, 200, 22}, step_counter(model.page + 1, language),
                             WizardFont::small, p.text_secondary, Align::end,
                             TextFormat::single_line));
  paint.texts.push_back(item({36, 112, 648, 40}, page_title(model.page, language),
                             WizardFont::page_title, p.text_primary, Align::start,
                             TextFormat::single_line));
  add_page_contents(model, installation_folder, palette, paint);
  return paint;
}

}  // namespace borelu::ui::wizard

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/catalogue.h"
#include "ui/wizard/wizard_model.h"

namespace borelu::ui::wizard {
namespace {

using namespace control;
using theme::LogicalRect;
using namespace theme::palette;

bool same(const LogicalRect& a, const LogicalRect& b) {
  return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

WizardModel on_page(std::uint8_t page, std::string language = "en") {
  WizardModel model;
  model.page = page;
  model.choices.language = std::move(language);
  return model;
}

TEST(WizardPages, ControlsInCreationOrderWithTheirRectanglesAndTexts) {
  const std::vector<std::pair<int, LogicalRect>> footer{
      {CANCEL, {36, 510, 112, 44}}, {BACK, {412, 510, 112, 44}}, {NEXT, {534, 510, 150, 44}}};
  const std::vector<std::vector<std::pair<int, LogicalRect>>> pages{
      {{ENGLISH_CARD, {36, 214, 316, 104}}, {ARABIC_CARD, {368, 214, 316, 104}}},
      {{TERMS_TEXT, {54, 172, 624, 222}}, {AGREEMENT, {36, 424, 648, 50}}},
      {{STARTUP_SWITCH, {36, 200, 648, 54}},
       {START_MENU_SWITCH, {36, 262, 648, 54}},
       {DESKTOP_SWITCH, {36, 324, 648, 54}}},
      {}};
  for (std::uint8_t page = 0; page < PAGE_COUNT; ++page) {
    for (const char* language : {"en", "ar"}) {
      const auto controls = page_controls(on_page(page, language));
      auto expected = pages[page];
      expected.insert(expected.end(), footer.begin(), footer.end());
      ASSERT_EQ(controls.size(), expected.size()) << int(page);
      for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_EQ(controls[i].id, expected[i].first) << int(page) << " #" << i;
        EXPECT_TRUE(same(controls[i].rect, expected[i].second)) << controls[i].id;
      }
      const bool arabic = std::string(language) == "ar";
      EXPECT_EQ(controls.back().text,
                page == 3 ? (arabic ? "تثبيت" : "Install") : (arabic ? "التالي" : "Next"));
    }
  }
  // The cards name their own language whatever the wizard's; the rest follow the wizard.
  const auto arabic_page1 = page_controls(on_page(0, "ar"));
  EXPECT_EQ(arabic_page1[0].text + arabic_page1[1].text + arabic_page1[2].text,
            "Englishالعربيةإلغاء");
  EXPECT_EQ(page_controls(on_page(2))[1].text, "Create a Start Menu shortcut");
}

TEST(WizardPages, TermsTextIsTheDocumentOfTheLanguageWithCrLf) {
  for (const auto language : {Language::english, Language::arabic}) {
    const auto controls = page_controls(on_page(1, language == Language::arabic ? "ar" : "en"));
    const std::string& shown = controls[0].text;
    std::string lf_only = shown;
    std::erase(lf_only, '\r');
    EXPECT_EQ(lf_only, terms_document(language));
    // Every line feed is preceded by exactly one carriage return.
    EXPECT_EQ(std::ranges::count(shown, '\r'), 36);
    for (std::size_t at = shown.find('\n'); at != std::string::npos; at = shown.find('\n', at + 1))
      EXPECT_EQ(shown[at - 1], '\r') << at;
  }
}

TEST(WizardPages, ArabicMirrorsTheStepMarks) {
  const theme::LogicalSpace arabic{theme::WIZARD_WIDTH, 1.0f, true};
  const WizardPaint paint = wizard_paint(on_page(0, "ar"), "", theme::DARK_PALETTE);
  EXPECT_TRUE(paint.right_to_left);
  EXPECT_EQ(theme::scale_rect(std::get<FilledShape>(paint.shapes[0]).rect, arabic).left, 156);
  EXPECT_EQ(theme::scale_rect(std::get<FilledShape>(paint.shapes[3]).rect, arabic).left, 36);
  EXPECT_FALSE(wizard_paint(on_page(0, "en"), "", theme::DARK_PALETTE).right_to_left);
}

TEST(WizardCommands, WalkThroughEveryPageAndBack) {
  const struct {
    int command;
    Reaction reaction;
    std::uint8_t page;
    bool back;
    bool next;
    int focus;
  } steps[] = {
      {BACK, Reaction::none, 0, false, true, NEXT},  // Back on page 1 does nothing
      {NEXT, Reaction::rebuild, 1, true, false, AGREEMENT},
      {ENTER_KEY, Reaction::none, 1, true, false, AGREEMENT},  // terms not accepted
      {NEXT, Reaction::none, 1, true, false, AGREEMENT},
      {AGREEMENT, Reaction::repaint_control_and_next, 1, true, true, AGREEMENT},
      {AGREEMENT, Reaction::repaint_control_and_next, 1, true, false, AGREEMENT},
      {AGREEMENT, Reaction::repaint_control_and_next, 1, true, true, AGREEMENT},
      {ENTER_KEY, Reaction::rebuild, 2, true, true, NEXT},
      {STARTUP_SWITCH, Reaction::repaint_control, 2, true, true, NEXT},
      {NEXT, Reaction::rebuild, 3, true, true, NEXT},
      {BACK, Reaction::rebuild, 2, true, true, NEXT},
      {BACK, Reaction::rebuild, 1, true, true, AGREEMENT},  // acceptance kept
      {BACK, Reaction::rebuild, 0, false, true, NEXT},
      {ARABIC_CARD, Reaction::rebuild, 0, false, true, NEXT},
      {NEXT, Reaction::rebuild, 1, true, true, AGREEMENT},
      {NEXT, Reaction::rebuild, 2, true, true, NEXT},
      {NEXT, Reaction::rebuild, 3, true, true, NEXT},
      {TERMS_TEXT, Reaction::none, 3, true, true, NEXT},  // the edit control's notifications
      {AGREEMENT + 100, Reaction::none, 3, true, true, NEXT},
  };
  WizardModel model;
  for (const auto& step : steps) {
    EXPECT_EQ(apply_command(model, step.command), step.reaction) << step.command;
    EXPECT_EQ(model.page, step.page) << step.command;
    EXPECT_EQ(back_enabled(model), step.back) << step.command;
    EXPECT_EQ(next_enabled(model), step.next) << step.command;
    EXPECT_EQ(initial_focus(model), step.focus) << step.command;
    EXPECT_FALSE(model.result);
  }
  EXPECT_EQ(apply_command(model, NEXT), Reaction::close);  // Install
  ASSERT_TRUE(model.result);
  EXPECT_EQ(*model.result, (options::SetupOptions{.language = "ar",
                                                  .startup = true,
                                                  .desktop = false,
                                                  .startMenu = true,
                                                  .acceptedPolicy = "2026-10-19"}));
}

TEST(WizardCommands, CancelAndEscapeCloseWithoutResultAndChoicesSurviveLanguage) {
  for (const int command : {CANCEL, ESCAPE_KEY}) {
    for (std::uint8_t page = 0; page < PAGE_COUNT; ++page) {
      WizardModel model = on_page(page);
      EXPECT_EQ(apply_command(model, command), Reaction::close);
      EXPECT_FALSE(model.result);
    }
  }
  WizardModel model = on_page(2);
  for (const int toggle : {STARTUP_SWITCH, DESKTOP_SWITCH, START_MENU_SWITCH, AGREEMENT}) {
    (void)apply_command(model, toggle);
  }
  const options::SetupOptions before = model.choices;
  EXPECT_TRUE(is_on(model, STARTUP_SWITCH) && is_on(model, DESKTOP_SWITCH) &&
              !is_on(model, START_MENU_SWITCH) && is_on(model, AGREEMENT));
  EXPECT_EQ(apply_command(model, ARABIC_CARD), Reaction::rebuild);
  EXPECT_TRUE(is_on(model, ARABIC_CARD) && !is_on(model, ENGLISH_CARD));
  EXPECT_EQ(apply_command(model, ENGLISH_CARD), Reaction::rebuild);
  EXPECT_EQ(model.page, 2);
  EXPECT_EQ(model.choices, before);
}

std::vector<std::string> texts_of(const WizardPaint& paint) {
  std::vector<std::string> texts;
  for (const auto& item : paint.texts)
    texts.push_back(item.text);
  return texts;
}

TEST(WizardPaintTable, StepMarksSummaryAndFolder) {
  for (std::uint8_t page = 0; page < PAGE_COUNT; ++page) {
    const WizardPaint paint = wizard_paint(on_page(page), "", theme::DARK_PALETTE);
    for (int i = 0; i < PAGE_COUNT; ++i) {
      EXPECT_EQ(std::get<FilledShape>(paint.shapes[i]).colour, i <= page ? Accent : Border)
          << int(page) << " mark " << i;
    }
    EXPECT_EQ(texts_of(paint)[1], "Step " + std::to_string(page + 1) + " of 4");
  }

  // The defaults reach the summary as startup No, Start Menu Yes, desktop No, in both languages.
  const auto english =
      texts_of(wizard_paint(on_page(3), "C:\\Program Files\\Borelu", theme::DARK_PALETTE));
  const std::vector<std::string> english_rows{"Language",
                                              "English",
                                              "Start with Windows",
                                              "No",
                                              "Start Menu shortcut",
                                              "Yes",
                                              "Desktop shortcut",
                                              "No",
                                              "Installation folder",
                                              "C:\\Program Files\\Borelu"};
  EXPECT_TRUE(
      std::ranges::equal(english_rows, std::vector(english.begin() + 3, english.begin() + 13)));
  const auto arabic = texts_of(wizard_paint(on_page(3, "ar"), "", theme::DARK_PALETTE));
  const std::vector<std::string> arabic_rows{"اللغة",
                                             "العربية",
                                             "التشغيل مع Windows",
                                             "لا",
                                             "اختصار قائمة ابدأ",
                                             "نعم",
                                             "اختصار سطح المكتب",
                                             "لا",
                                             "مجلد التثبيت",
                                             ""};
  EXPECT_TRUE(
      std::ranges::equal(arabic_rows, std::vector(arabic.begin() + 3, arabic.begin() + 13)));

  const WizardPaint summary = wizard_paint(on_page(3), "x", theme::DARK_PALETTE);
  const TextItem& folder = summary.texts[12];
  EXPECT_EQ(folder.format, theme::TextFormat::single_line_path_ellipsis);
  EXPECT_EQ(summary.texts[4].align, theme::Align::end);  // values at the end side
  EXPECT_EQ(std::ranges::count_if(summary.shapes,
                                  [](const Shape& s) {
                                    const auto* f = std::get_if<FilledShape>(&s);
                                    return f && f->alpha == 140;
                                  }),
            3);  // separators after the first three rows
}

}  // namespace
}  // namespace borelu::ui::wizard

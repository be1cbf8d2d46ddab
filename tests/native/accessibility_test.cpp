// What a screen reader is told about the wizard's pages and the progress window, in reading order
// and in the page's language.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "manifest/update_host.h"
#include "ui/catalogue.h"
#include "ui/progress/progress_access.h"
#include "ui/progress/progress_layout.h"
#include "ui/wizard/wizard_access.h"

namespace borelu::ui {
namespace {

using wizard::WizardModel;

std::string describe(const AccessibleItem& item) {
  static constexpr const char* kRoles[] = {"text", "button", "radio", "check", "bar", "standard"};
  std::string line = std::string(kRoles[static_cast<int>(item.role)]) + " " + item.name;
  if (item.value) {
    line += " = " + *item.value;
  }
  if (!item.description.empty()) {
    line += " (" + item.description + ")";
  }
  if (item.checked) {
    line += " [checked]";
  }
  if (item.unavailable) {
    line += " [unavailable]";
  }
  if (!item.default_action.empty()) {
    line += " <" + std::string(item.default_action) + ">";
  }
  return line;
}

std::vector<std::string> describe(const std::vector<AccessibleItem>& items) {
  std::vector<std::string> lines;
  for (const AccessibleItem& item : items) {
    lines.push_back(describe(item));
  }
  return lines;
}

WizardModel on_page(std::uint8_t page, std::string language) {
  WizardModel model;
  model.page = page;
  model.choices.language = std::move(language);
  return model;
}

TEST(AccessiblePage, EveryPageReadsInOrderInItsLanguage) {
  WizardModel startup_on = on_page(2, "en");
  startup_on.choices.startup = true;
  const struct {
    WizardModel model;
    std::string folder;
    std::vector<std::string> expected;
  } pages[] = {
      {on_page(0, "en"),
       "",
       {"text Step 1 of 4", "text A quieter space. A clearer focus.",
        "text Choose the language for setup and your first launch. You can change it later in "
        "Settings.",
        "radio English (Use Borelu in English) [checked] <Check>",
        "radio العربية (استخدم Borelu بالعربية) <Check>",
        "text An account is optional. Your study data stays on this device.",
        "text " + page1_bullet2(manifest::UPDATE_HOST, Language::english),
        "text Windows asks once for permission to install the blocking service.",
        "button Cancel <Press>", "button Back [unavailable] <Press>", "button Next <Press>"}},
      {on_page(1, "ar"),
       "",
       {"text الخطوة 2 من 4", "text خصوصيتك، بوضوح", "standard ",
        "check أوافق على شروط الاستخدام وأقرّ بقراءة سياسة الخصوصية. <تحديد>", "button إلغاء <اضغط>",
        "button السابق <اضغط>", "button التالي [unavailable] <اضغط>"}},
      {startup_on,
       "",
       {"text Step 3 of 4", "text Make Borelu yours",
        "text Choose what appears on this Windows account.",
        "check Start Borelu when I sign in to Windows [checked] <Uncheck>",
        "check Create a Start Menu shortcut [checked] <Uncheck>",
        "check Create a desktop shortcut <Check>", "text " + std::string(text::kPage3Note.english),
        "button Cancel <Press>", "button Back <Press>", "button Next <Press>"}},
      {on_page(3, "ar"),
       "C:\\Program Files\\Borelu",
       {"text الخطوة 4 من 4", "text جاهز للتثبيت", "text اللغة = العربية",
        "text التشغيل مع Windows = لا", "text اختصار قائمة ابدأ = نعم",
        "text اختصار سطح المكتب = لا", "text مجلد التثبيت = C:\\Program Files\\Borelu",
        "text " + std::string(text::kPage4Note.arabic), "button إلغاء <اضغط>",
        "button السابق <اضغط>", "button تثبيت <اضغط>"}},
  };
  for (const auto& page : pages) {
    EXPECT_EQ(describe(wizard::accessible_page(page.model, page.folder)), page.expected)
        << "page " << page.model.page + 1 << " in " << page.model.choices.language;
  }
}

TEST(AccessiblePage, ItemsSitWhereTheyAreDrawnAndControlsAreTheirWindows) {
  const auto summary = wizard::accessible_page(on_page(3, "en"), "x");
  // A summary row is one item over its label and its value.
  EXPECT_EQ(summary[2].rect.x, 56);
  EXPECT_EQ(summary[2].rect.y, 174);
  EXPECT_EQ(summary[2].rect.w, 608);
  EXPECT_EQ(summary[2].rect.h, 28);
  EXPECT_EQ(summary[2].control, 0);
  EXPECT_EQ(summary.back().control, wizard::control::NEXT);
  // Once accepted, the agreement's default action takes the tick away and Next is available.
  WizardModel accepted = on_page(1, "en");
  ASSERT_EQ(wizard::apply_command(accepted, wizard::control::AGREEMENT),
            wizard::Reaction::repaint_control_and_next);
  const auto terms = wizard::accessible_page(accepted, "");
  EXPECT_EQ(describe(*find_control(terms, wizard::control::AGREEMENT)),
            "check I agree to the terms and acknowledge the privacy policy. [checked] <Uncheck>");
  EXPECT_FALSE(find_control(terms, wizard::control::NEXT)->unavailable);
  EXPECT_EQ(find_control(terms, wizard::control::TERMS_TEXT)->role, AccessibleRole::standard);
  EXPECT_EQ(find_control(terms, 0), nullptr);
}

TEST(AccessiblePage, ArrowKeysStepThroughTheLanguageCardsAndWrap) {
  using namespace wizard::control;
  const struct {
    int from;
    bool forward;
    std::optional<int> to;
  } cases[] = {
      {ENGLISH_CARD, true, ARABIC_CARD},  {ARABIC_CARD, true, ENGLISH_CARD},
      {ENGLISH_CARD, false, ARABIC_CARD}, {ARABIC_CARD, false, ENGLISH_CARD},
      {AGREEMENT, true, std::nullopt},    {NEXT, false, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(wizard::radio_group_step(c.from, c.forward), c.to) << c.from << " " << c.forward;
  }
}

TEST(AccessibleProgress, StatusBarAndCancelAsTheWindowShowsThem) {
  ProgressBar bar;
  const auto sliding = progress::accessible_progress(
      {.title = "Install Borelu", .status = "Connecting securely to borelu.app…", .bar = bar});
  EXPECT_EQ(describe(sliding),
            (std::vector<std::string>{"text Connecting securely to borelu.app…",
                                      "bar Install Borelu", "button Cancel <Press>"}));
  EXPECT_EQ(progress::STATUS_CHILD, accessible_child_id(0));
  EXPECT_EQ(progress::BAR_CHILD, accessible_child_id(1));

  // The value is the percentage as shown, eased, not the target the controller reported.
  set_target(bar, 45);
  tick(bar);
  const auto arabic = progress::accessible_progress({.title = "تثبيت Borelu",
                                                     .status = "جارٍ تنزيل Borelu 1.4.2",
                                                     .bar = bar,
                                                     .cancel_available = false,
                                                     .language = Language::arabic});
  EXPECT_EQ(describe(arabic),
            (std::vector<std::string>{"text جارٍ تنزيل Borelu 1.4.2", "bar تثبيت Borelu = 7%",
                                      "button إلغاء [unavailable] <اضغط>"}));
  EXPECT_EQ(arabic[2].control, progress::CANCEL_ID);
}

// A screen reader hears of the bar's value when the percentage painted turns, not on every frame
// the bar moves, and not at all while no percentage has ever been shown.
TEST(AccessibleProgress, TheValueChangesWhenThePaintedPercentageTurns) {
  const BarFrame sliding{FillSpan{40, 90}, std::nullopt};
  const BarFrame slid{FillSpan{41, 91}, std::nullopt};
  const BarFrame at45{FillSpan{28, 236}, "45%"};
  const BarFrame at45_further{FillSpan{28, 237}, "45%"};
  const BarFrame at46{FillSpan{28, 241}, "46%"};
  const struct {
    const char* what;
    std::optional<BarFrame> painted;
    BarFrame next;
    bool changed;
  } cases[] = {
      {"first frame, sliding", std::nullopt, sliding, false},
      {"first frame, with a percentage", std::nullopt, at45, true},
      {"sliding on", sliding, slid, false},
      {"the first percentage arrives", slid, at45, true},
      {"a pixel more, same percentage", at45, at45_further, false},
      {"the percentage turns", at45_further, at46, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(progress::spoken_value_changed(c.painted, c.next), c.changed) << c.what;
  }
}

}  // namespace
}  // namespace borelu::ui

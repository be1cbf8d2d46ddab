#include <gtest/gtest.h>

#include <algorithm>

#include "ui/catalogue.h"
#include "ui/failure_explanation.h"

namespace borelu::ui {
namespace {

bool has_latin_letter_outside_names(std::string_view arabic) {
  // Latin words allowed inside Arabic texts: the product, Windows, Microsoft, WebView2, Setup's
  // addresses and the publisher.
  std::string rest(arabic);
  for (const char* allowed : {"Borelu", "Windows", "Microsoft", "WebView2", "support@borelu.app",
                              "https://borelu.app/privacy", "borelu.app", "Quendravolte"}) {
    for (auto at = rest.find(allowed); at != std::string::npos; at = rest.find(allowed)) {
      rest.erase(at, std::string_view(allowed).size());
    }
  }
  return std::ranges::any_of(
      rest, [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

TEST(Language, OnlyArIsArabic) {
  EXPECT_TRUE(is_arabic("ar"));
  for (const char* other : {"en", "AR", "ar-SA", "fr", "", " ar"})
    EXPECT_FALSE(is_arabic(other)) << other;
  EXPECT_EQ(pick(text::kYes, Language::arabic), "نعم");
  EXPECT_EQ(pick(text::kYes, Language::english), "Yes");
}

TEST(Catalogue, EveryArabicSlotIsArabic) {
  for (const TextPair& pair : {text::kWizardCaption,
                               text::kPage1Title,
                               text::kPage1Paragraph,
                               text::kPage1Bullet1,
                               text::kPage1Bullet3,
                               text::kPage2Title,
                               text::kAgreement,
                               text::kPage3Title,
                               text::kPage3Paragraph,
                               text::kSwitchStartup,
                               text::kSwitchStartMenu,
                               text::kSwitchDesktop,
                               text::kPage3Note,
                               text::kPage4Title,
                               text::kSummaryLanguage,
                               text::kSummaryLanguageValue,
                               text::kSummaryStartup,
                               text::kSummaryStartMenu,
                               text::kSummaryDesktop,
                               text::kYes,
                               text::kNo,
                               text::kInstallationFolder,
                               text::kPage4Note,
                               text::kCancel,
                               text::kBack,
                               text::kNext,
                               text::kInstall,
                               text::kActionPress,
                               text::kActionCheck,
                               text::kActionUncheck,
                               text::kProgressCaption,
                               text::kVerified,
                               text::kInstalling,
                               text::kSuccessInstruction,
                               text::kSuccessContent,
                               text::kTechnicalDetails}) {
    EXPECT_FALSE(pair.english.empty());
    EXPECT_FALSE(pair.arabic.empty()) << pair.english;
    EXPECT_NE(pair.english, pair.arabic);
    EXPECT_FALSE(has_latin_letter_outside_names(pair.arabic)) << pair.arabic;
  }
}

TEST(Catalogue, TextsBuiltWithAValue) {
  EXPECT_EQ(step_counter(1, Language::english), "Step 1 of 4");
  EXPECT_EQ(step_counter(4, Language::arabic), "الخطوة 4 من 4");
  EXPECT_EQ(page1_bullet2("borelu.app", Language::english),
            "Setup downloads the latest verified release from borelu.app.");
  EXPECT_EQ(initial_status("borelu.app", Language::english), "Connecting securely to borelu.app…");
  EXPECT_EQ(initial_status("borelu.app", Language::arabic), "اتصال آمن بـborelu.app…");
  EXPECT_EQ(download_status("1.4.2", Language::arabic), "جارٍ تنزيل Borelu 1.4.2");
  EXPECT_EQ(percentage(37), "37%");
}

TEST(TermsDocument, ThirtySixLinesWithTheFixedStructureInBothLanguages) {
  for (const Language language : {Language::english, Language::arabic}) {
    const bool arabic = language == Language::arabic;
    const std::string_view document = terms_document(language);
    ASSERT_TRUE(document.ends_with('\n'));
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < document.size();) {
      const auto end = document.find('\n', start);
      lines.push_back(document.substr(start, end - start));
      start = end + 1;
    }
    ASSERT_EQ(lines.size(), 36u) << arabic;
    EXPECT_EQ(lines[1], arabic ? "الإصدار: 19 أكتوبر 2026" : "Version: 19 October 2026");
    EXPECT_NE(lines[2].find("Quendravolte"), std::string_view::npos);
    EXPECT_NE(lines[3].find("support@borelu.app"), std::string_view::npos);
    EXPECT_NE(lines[35].find("https://borelu.app/privacy"), std::string_view::npos);
    // Blank lines after the header and after every paragraph; headings 1 to 8 in order.
    for (const std::size_t blank : {4, 7, 10, 13, 16, 19, 22, 25, 28, 31, 34})
      EXPECT_TRUE(lines[blank].empty()) << blank;
    const std::size_t headings[] = {5, 14, 17, 20, 23, 26, 29, 32};
    for (int n = 1; n <= 8; ++n) {
      EXPECT_TRUE(lines[headings[n - 1]].starts_with(std::to_string(n) + ". "))
          << lines[headings[n - 1]];
      EXPECT_FALSE(lines[headings[n - 1] + 1].empty());
    }
    if (arabic) {
      for (const auto line : lines)
        EXPECT_FALSE(has_latin_letter_outside_names(line)) << line;
    }
  }
  EXPECT_TRUE(terms_document(Language::english).starts_with("BORELU — PRIVACY & TERMS OF USE\n"));
}

int class_of(std::string_view text) {
  return classify_failure(text);
}

TEST(FailureClasses, EarlierClassesWinAndKeywordsAreSubstrings) {
  EXPECT_EQ(class_of("Lock Borelu installation: Access denied. (os error 5)"), 12);
  EXPECT_EQ(class_of("Register Windows uninstall: 5"), 14);
  EXPECT_EQ(class_of("Stop Borelu service: Access denied. (os error 5)"), 11);
  EXPECT_EQ(class_of("Microsoft WebView2 download returned HTTP 500"), 8);
  EXPECT_EQ(
      class_of("Windows installation permission was cancelled. Your current Borelu is unchanged."),
      4);
  EXPECT_EQ(class_of("Start worker: Operation canceled by user. (os error 1223)"), 4);
  EXPECT_EQ(class_of("Copy: x (os error 53)"), 12);  // "os error 5" is a prefix of 53
  EXPECT_EQ(class_of("Copy: x (os error 321)"), 10);
  EXPECT_EQ(class_of("THE DISK FULL CONDITION"), 6);
  EXPECT_EQ(class_of("nothing known"), 14);
  EXPECT_EQ(class_of(""), 14);
}

TEST(FailureClasses, TheSystemsOwnFailureTextsLandWhereTheyShould) {
  const std::pair<const char*, int> cases[] = {
      {"Choose Quit from Borelu's tray icon before installing or repairing the app.", 1},
      {"Another Borelu installation is already running.", 3},
      {"Cancelled.", 4},
      {"This Borelu installation belongs to a different Windows user.", 5},
      {"There is not enough space on the disk for Borelu: 215 MB needed, 40 MB free. Free some "
       "space, then try again.",
       6},
      {"Borelu service installation failed: Copy BoreluService.exe: Disk full. (os error 112)", 6},
      {"The release signature could not be verified.", 7},
      {"Borelu.exe failed SHA-256/size verification.", 7},
      {"Invalid release metadata.", 7},
      {"Borelu download server returned HTTP 404.", 9},
      {"Borelu could not be reached. Check your internet connection and try again.", 9},
      {"Download timed out. Try again later.", 9},
      {"Download interrupted: The connection was reset. (os error 12031)", 9},
      {"Run BoreluSetup once to enable automatic updates.", 13},
      {"Missing updater.", 13},
      {"Install the Borelu blocking service first.", 11},
      {"Unsafe diagnostic file.", 14},
      {"BoreluSetup accepts no custom download URL or program command.", 14},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(class_of(text), expected) << text;
}

TEST(FailureClasses, OnlyTheTwoSpecialCapitalsLowerToAscii) {
  EXPECT_EQ(lower_for_keywords("DIS\xE2\x84\xAA FULL"), "disk full");  // Kelvin sign
  EXPECT_EQ(class_of("DIS\xE2\x84\xAA FULL"), 6);
  EXPECT_EQ(lower_for_keywords("\xC4\xB0NTERNET"), "i\xCC\x87nternet");  // dotted capital I
  EXPECT_EQ(class_of("\xC4\xB0NTERNET"), 14);
  EXPECT_EQ(lower_for_keywords("\xCE\xA3\xD8\xB9"), "\xCE\xA3\xD8\xB9");
}

TEST(FailureExplanation, IconsBodiesAndDetails) {
  const auto permission = explain("Lock Borelu installation: Access denied. (os error 5)",
                                  Language::english, "borelu.app", "support@borelu.app");
  EXPECT_EQ(permission.number, 12);
  EXPECT_EQ(permission.icon, DialogIcon::error);
  EXPECT_EQ(permission.title, "Windows permission is required");
  const auto cancelled =
      explain("Cancelled.", Language::arabic, "borelu.app", "support@borelu.app");
  EXPECT_EQ(cancelled.icon, DialogIcon::information);
  EXPECT_EQ(cancelled.title, "أُلغيت العملية");
  const auto verify = explain("Invalid release metadata.", Language::english, "borelu.app", "s");
  EXPECT_EQ(
      verify.body,
      "Borelu stopped for your security. Download Setup again from borelu.app. Do not disable "
      "signature verification or run files from an unknown source.");
  const auto fallback =
      explain(std::string(5000, 'x'), Language::english, "h", "support@borelu.app");
  EXPECT_EQ(fallback.details, std::string(2000, 'x'));
  EXPECT_NE(fallback.body.find("contact support@borelu.app."), std::string::npos);
  std::string arabic;
  for (int i = 0; i < 3000; ++i)
    arabic += "\xD8\xB9";
  EXPECT_EQ(explain(arabic, Language::english, "h", "s").details.size(), 4000u);
  EXPECT_EQ(explain("", Language::english, "h", "s").details, "");
  for (int n = 1; n <= 14; ++n)
    EXPECT_FALSE(english_title(n).empty());
  EXPECT_EQ(icon_of(4), DialogIcon::information);
  EXPECT_EQ(icon_of(5), DialogIcon::error);
}

}  // namespace
}  // namespace borelu::ui

#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "ui/language.h"

namespace borelu::ui {

inline constexpr std::string_view SUPPORT_EMAIL = "support@borelu.app";
inline constexpr std::string_view PRIVACY_PAGE = "https://borelu.app/privacy";

namespace text {

// Wizard.
inline constexpr TextPair kWizardCaption{"Borelu Setup", "تثبيت Borelu"};
inline constexpr TextPair kBrand{"Borelu", "Borelu"};
inline constexpr TextPair kPage1Title{"A quieter space. A clearer focus.",
                                      "مساحة أهدأ. تركيز أوضح."};
inline constexpr TextPair kPage1Paragraph{
    "Choose the language for setup and your first launch. You can change it later in Settings.",
    "اختر لغة التثبيت وأول تشغيل. يمكنك تغييرها لاحقاً من الإعدادات."};
inline constexpr std::string_view kEnglishCardTitle = "English";
inline constexpr std::string_view kEnglishCardSubtitle = "Use Borelu in English";
inline constexpr std::string_view kArabicCardTitle = "العربية";
inline constexpr std::string_view kArabicCardSubtitle = "استخدم Borelu بالعربية";
inline constexpr TextPair kPage1Bullet1{
    "An account is optional. Your study data stays on this device.",
    "الحساب اختياري. تبقى بيانات الدراسة على جهازك."};
inline constexpr TextPair kPage1Bullet3{
    "Windows asks once for permission to install the blocking service.",
    "يطلب Windows الموافقة مرة واحدة لتثبيت خدمة الحجب."};
inline constexpr TextPair kPage2Title{"Your privacy, clearly explained", "خصوصيتك، بوضوح"};
inline constexpr TextPair kAgreement{"I agree to the terms and acknowledge the privacy policy.",
                                     "أوافق على شروط الاستخدام وأقرّ بقراءة سياسة الخصوصية."};
inline constexpr TextPair kPage3Title{"Make Borelu yours", "جهّز Borelu بطريقتك"};
inline constexpr TextPair kPage3Paragraph{"Choose what appears on this Windows account.",
                                          "اختر إعدادات حساب Windows الحالي."};
inline constexpr TextPair kSwitchStartup{"Start Borelu when I sign in to Windows",
                                         "تشغيل Borelu عند تسجيل الدخول إلى Windows"};
inline constexpr TextPair kSwitchStartMenu{"Create a Start Menu shortcut",
                                           "إنشاء اختصار في قائمة ابدأ"};
inline constexpr TextPair kSwitchDesktop{"Create a desktop shortcut",
                                         "إنشاء اختصار على سطح المكتب"};
inline constexpr TextPair kPage3Note{
    "The blocking service starts automatically with Windows, separately from the app. Uninstall "
    "anytime from Windows Settings → Apps.",
    "تبدأ خدمة الحجب تلقائياً مع Windows، بشكل مستقل عن التطبيق. يمكنك إزالة البرنامج متى شئت من "
    "إعدادات Windows ← التطبيقات."};
inline constexpr TextPair kPage4Title{"Ready to install", "جاهز للتثبيت"};
inline constexpr TextPair kSummaryLanguage{"Language", "اللغة"};
inline constexpr TextPair kSummaryLanguageValue{"English", "العربية"};
inline constexpr TextPair kSummaryStartup{"Start with Windows", "التشغيل مع Windows"};
inline constexpr TextPair kSummaryStartMenu{"Start Menu shortcut", "اختصار قائمة ابدأ"};
inline constexpr TextPair kSummaryDesktop{"Desktop shortcut", "اختصار سطح المكتب"};
inline constexpr TextPair kYes{"Yes", "نعم"};
inline constexpr TextPair kNo{"No", "لا"};
inline constexpr TextPair kInstallationFolder{"Installation folder", "مجلد التثبيت"};
inline constexpr TextPair kPage4Note{
    "Your study data is kept. Downloads are verified before installing, and you can cancel until "
    "Windows asks for permission.",
    "تبقى بيانات الدراسة محفوظة. تُفحص الملفات قبل التثبيت، ويمكنك الإلغاء قبل موافقة Windows."};
inline constexpr TextPair kCancel{"Cancel", "إلغاء"};
inline constexpr TextPair kBack{"Back", "السابق"};
inline constexpr TextPair kNext{"Next", "التالي"};
inline constexpr TextPair kInstall{"Install", "تثبيت"};

// What a screen reader says a control's default action is.
inline constexpr TextPair kActionPress{"Press", "اضغط"};
inline constexpr TextPair kActionCheck{"Check", "تحديد"};
inline constexpr TextPair kActionUncheck{"Uncheck", "إلغاء التحديد"};

// Progress window and dialogs.
inline constexpr TextPair kProgressCaption{"Install Borelu", "تثبيت Borelu"};
inline constexpr TextPair kVerified{"Verified. Waiting for Windows installation permission…",
                                    "تم التحقق. بانتظار موافقة Windows على التثبيت…"};
inline constexpr TextPair kInstalling{
    "Installing Borelu and preparing Microsoft WebView2 if needed. This may take a few minutes...",
    "جارٍ تثبيت Borelu وتجهيز Microsoft WebView2 عند الحاجة. قد يستغرق عدة دقائق…"};
inline constexpr TextPair kSuccessInstruction{"Borelu is installed", "تم تثبيت Borelu"};
inline constexpr TextPair kSuccessContent{
    "Borelu is ready. You can uninstall it from Windows Settings → Apps. Local study data is kept "
    "during uninstall.",
    "Borelu جاهز. إزالة البرنامج متاحة في إعدادات Windows ← التطبيقات، مع الاحتفاظ ببيانات الدراسة "
    "المحلية."};
inline constexpr TextPair kTechnicalDetails{"Technical details", "التفاصيل الفنية"};
inline constexpr std::string_view kDialogTitle = "Borelu";

}  // namespace text

// A name in braces in a text ("{host}") and what it stands for.
struct Placeholder {
  std::string_view name;
  std::string_view value;
};

// `text` with every placeholder's name replaced by its value, wherever it occurs.
[[nodiscard]] std::string fill_placeholders(std::string_view text,
                                            std::initializer_list<Placeholder> placeholders);

// Texts built with a value.
[[nodiscard]] std::string step_counter(int page, Language language);
[[nodiscard]] std::string page1_bullet2(std::string_view host, Language language);
[[nodiscard]] std::string initial_status(std::string_view host, Language language);
[[nodiscard]] std::string download_status(std::string_view version, Language language);
[[nodiscard]] std::string percentage(std::uint32_t percent);

// The privacy and terms document shown on the wizard's second page: 36 lines, each ended by a
// line feed. It names the update host of the build, the support address and the privacy page.
[[nodiscard]] std::string_view terms_document(Language language);

}  // namespace borelu::ui

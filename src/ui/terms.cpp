// The privacy and terms document of the wizard's second page, in English and Arabic. Both have
// the same 36 lines: a header, eight numbered sections (the first with two sub-sections), each
// heading followed by one paragraph and a blank line, and a closing line.

#include <array>
#include <string>
#include <string_view>

#include "manifest/update_host.h"
#include "ui/catalogue.h"

namespace borelu::ui {
namespace {

constexpr std::array<std::string_view, 36> kEnglish{
    "BORELU — PRIVACY & TERMS OF USE",
    "Version: 19 October 2026",
    "Publisher: Quendravolte",
    "Contact: {support}",
    "",
    "1. Your study data",
    "Borelu is made for quiet, focused study. Your sessions, notes, schedules and statistics are "
    "stored on this device and remain yours.",
    "",
    "Encrypted transfer and synchronisation",
    "If you turn on synchronisation, your study data is encrypted before it leaves this device and "
    "travels only over secure connections to our servers, which keep it solely to keep your "
    "devices "
    "in step.",
    "",
    "Anonymous usage data",
    "With your permission, Borelu sends anonymous usage counts, such as which features are used "
    "and "
    "whether errors occur. They never include your study content, contacts or browsing history, "
    "and "
    "you can switch them off at any time in Settings.",
    "",
    "2. Optional accounts and network services",
    "An account is optional. Without one, Borelu works offline; with one, you can sync your "
    "devices "
    "and restore your data. Your e-mail address is used only for sign-in, security notices and "
    "replies to your requests.",
    "",
    "3. Updates and prerequisites",
    "Borelu downloads updates only from {host} and installs them only after checking the "
    "publisher's digital signature. If Microsoft WebView2 is missing, Setup installs it from "
    "Microsoft, whose own terms apply to that component.",
    "",
    "4. Blocking permissions",
    "To keep distracting websites and apps away during focus sessions, Borelu installs a Windows "
    "service with administrator rights. It applies only the rules you set, only for the Windows "
    "account that installed it, and never reads what you browse.",
    "",
    "5. Your choices and removal",
    "You decide whether Borelu starts with Windows and which shortcuts it creates. You can "
    "uninstall "
    "it at any time from Windows Settings → Apps; your local study data is kept unless you delete "
    "it "
    "yourself.",
    "",
    "6. Availability, acceptable use and responsibility",
    "We work to keep Borelu reliable but cannot promise that it will always be available or free "
    "of "
    "faults. Do not use it to harm others or to get around rules set by your school or employer. "
    "As "
    "far as the law allows, Borelu is provided as it is.",
    "",
    "7. Future changes",
    "If these terms change, Borelu shows the new version and asks for your agreement before it "
    "applies. Earlier versions remain available on request.",
    "",
    "8. Contact and data requests",
    "To ask about your data, receive a copy of it or have it deleted, write to {support}. "
    "We "
    "answer within 30 days.",
    "",
    "The full privacy policy is published at {privacy}.",
};

constexpr std::array<std::string_view, 36> kArabic{
    "Borelu — الخصوصية وشروط الاستخدام",
    "الإصدار: 19 أكتوبر 2026",
    "الناشر: Quendravolte",
    "للتواصل: {support}",
    "",
    "1. بيانات دراستك",
    "صُمّم Borelu للدراسة الهادئة والمركّزة. تُحفظ جلساتك وملاحظاتك وجداولك وإحصاءاتك على هذا "
    "الجهاز، وتبقى ملكًا لك.",
    "",
    "النقل المشفّر والمزامنة",
    "إذا فعّلت المزامنة، تُشفَّر بيانات دراستك قبل أن تغادر هذا الجهاز، ولا تُرسل إلا عبر اتصالات "
    "آمنة إلى خوادمنا التي تحتفظ بها لغرض مزامنة أجهزتك فحسب.",
    "",
    "بيانات الاستخدام المجهولة",
    "بإذنك، يرسل Borelu إحصاءات استخدام مجهولة الهوية، مثل الميزات المستخدمة ووقوع الأخطاء. ولا "
    "تتضمن هذه الإحصاءات محتوى دراستك ولا جهات اتصالك ولا سجل تصفحك، ويمكنك إيقافها في أي وقت من "
    "الإعدادات.",
    "",
    "2. الحسابات الاختيارية وخدمات الشبكة",
    "الحساب اختياري. يعمل Borelu من دون حساب بلا اتصال بالإنترنت، ومع الحساب يمكنك مزامنة أجهزتك "
    "واستعادة بياناتك. ولا يُستخدم بريدك الإلكتروني إلا لتسجيل الدخول وتنبيهات الأمان والرد على "
    "طلباتك.",
    "",
    "3. التحديثات والمتطلبات المسبقة",
    "لا ينزّل Borelu التحديثات إلا من {host}، ولا يثبّتها إلا بعد التحقق من التوقيع الرقمي "
    "للناشر. وإذا لم يكن Microsoft WebView2 مثبّتًا، يثبّته المثبّت من Microsoft، وتسري على هذا "
    "المكوّن شروط Microsoft الخاصة به.",
    "",
    "4. صلاحيات الحجب",
    "لإبعاد المواقع والتطبيقات المشتّتة أثناء جلسات التركيز، يثبّت Borelu خدمة Windows بصلاحيات "
    "المسؤول. وتطبّق الخدمة القواعد التي تضعها أنت فقط، ولحساب Windows الذي ثبّتها وحده، ولا تطّلع "
    "على ما تتصفحه.",
    "",
    "5. خياراتك وإزالة البرنامج",
    "أنت من يقرّر تشغيل Borelu مع Windows والاختصارات التي يُنشئها. ويمكنك إزالته متى شئت من إعدادات "
    "Windows ← التطبيقات، وتبقى بيانات دراستك المحلية محفوظة ما لم تحذفها بنفسك.",
    "",
    "6. التوفّر والاستخدام المقبول والمسؤولية",
    "نعمل على أن يبقى Borelu موثوقًا، لكننا لا نضمن توفّره الدائم أو خلوّه من الأعطال. لا تستخدمه "
    "للإضرار بالآخرين أو للتحايل على القواعد التي تضعها مدرستك أو جهة عملك. ويُقدَّم Borelu بحالته "
    "الراهنة في الحدود التي يسمح بها القانون.",
    "",
    "7. التغييرات المستقبلية",
    "إذا تغيّرت هذه الشروط، يعرض Borelu الإصدار الجديد ويطلب موافقتك قبل سريانه. وتبقى الإصدارات "
    "السابقة متاحة عند الطلب.",
    "",
    "8. التواصل وطلبات البيانات",
    "للاستفسار عن بياناتك أو الحصول على نسخة منها أو حذفها، راسلنا على {support}. ونرد "
    "خلال 30 يومًا.",
    "",
    "سياسة الخصوصية الكاملة منشورة على {privacy}.",
};

// The lines joined, each ended by a line feed, with the build's update host and the contact
// addresses filled in.
std::string joined(const std::array<std::string_view, 36>& lines) {
  std::string text;
  for (const std::string_view line : lines) {
    text += fill_placeholders(line, {{"{host}", manifest::UPDATE_HOST},
                                     {"{support}", SUPPORT_EMAIL},
                                     {"{privacy}", PRIVACY_PAGE}});
    text.push_back('\n');
  }
  return text;
}

}  // namespace

std::string_view terms_document(Language language) {
  static const std::string english = joined(kEnglish);
  static const std::string arabic_text = joined(kArabic);
  return language == Language::arabic ? arabic_text : english;
}

}  // namespace borelu::ui

#include "ui/failure_explanation.h"

#include <array>
#include <vector>

#include "core/utf.h"
#include "ui/catalogue.h"

namespace borelu::ui {
namespace {

struct FailureClass {
  std::vector<std::string_view> keywords;
  DialogIcon icon;
  TextPair title;
  TextPair body;  // "{host}" and "{support}" stand for the update host and support address
};

const std::array<FailureClass, 14>& classes() {
  static const std::array<FailureClass, 14> table{{
      {{"tray icon", "still open", "close borelu", "gui is running"},
       DialogIcon::information,
       {"Borelu is still running", "Borelu ما زال يعمل"},
       {"Choose Quit from Borelu's icon beside the Windows clock, then try again. Closing the "
        "window keeps "
        "Borelu running in the background. Your study data is kept.",
        "اختر «إنهاء» من أيقونة Borelu بجانب ساعة Windows، ثم حاول مجددًا. إغلاق النافذة وحده يُبقي "
        "البرنامج يعمل في الخلفية. تبقى بيانات الدراسة محفوظة."}},
      {{"still running", "removal is in progress"},
       DialogIcon::information,
       {"The operation is still running", "العملية ما زالت جارية"},
       {"Windows is still completing the operation. Wait before starting another installation, "
        "update or "
        "removal. Do not force-close the worker.",
        "Windows ما زال يكمل العملية. انتظر قبل بدء تثبيت أو تحديث أو حذف آخر، ولا تغلق عامل "
        "العملية "
        "بالقوة."}},
      {{"already running", "installation or update is running", "lock installation",
        "maintenance operation"},
       DialogIcon::information,
       {"Another operation is in progress", "توجد عملية أخرى جارية"},
       {"An installation, update or removal is already in progress. Let it finish, then try again.",
        "يوجد تثبيت أو تحديث أو حذف قيد التنفيذ. انتظر حتى يكتمل ثم حاول مجددًا."}},
      {{"cancelled", "canceled", "os error 1223"},
       DialogIcon::information,
       {"Operation cancelled", "أُلغيت العملية"},
       {"The requested operation was cancelled. To continue, try again and approve the Windows "
        "permission "
        "prompt when it appears.",
        "أُلغيت العملية المطلوبة. للمتابعة، حاول مجددًا ووافق على طلب صلاحية Windows عند ظهوره."}},
      {{"different windows user", "account that installed", "different owner"},
       DialogIcon::error,
       {"Use the installation owner's Windows account", "استخدم حساب Windows الذي ثبّت البرنامج"},
       {"Sign in to the Windows account that installed Borelu, then try again. Windows may ask for "
        "administrator permission.",
        "سجّل الدخول بحساب Windows الذي ثبّت Borelu، ثم حاول مجددًا. قد يطلب Windows صلاحية مسؤول."}},
      {{"os error 112", "os error 39", "disk full", "not enough space"},
       DialogIcon::error,
       {"Not enough disk space", "مساحة القرص غير كافية"},
       {"Free space on the Windows drive, then try again. Keep your study files and backups.",
        "وفّر مساحة على قرص Windows، ثم حاول مجددًا. احتفظ بملفات الدراسة والنسخ الاحتياطية."}},
      {{"sha-256", "sha256", "signature", "hash mismatch", "checksum", "wrong file size",
        "invalid release"},
       DialogIcon::error,
       {"The downloaded files could not be verified", "تعذّر التحقق من ملفات البرنامج"},
       {"Borelu stopped for your security. Download Setup again from {host}. Do not disable "
        "signature "
        "verification or run files from an unknown source.",
        "أوقف Borelu العملية لحمايتك. نزّل المثبّت مجددًا من {host}. لا تعطّل التحقق من التوقيع ولا "
        "تشغّل ملفات من مصدر غير معروف."}},
      {{"webview2"},
       DialogIcon::error,
       {"Microsoft WebView2 setup did not finish", "لم يكتمل تجهيز Microsoft WebView2"},
       {"Restart Windows if a runtime installation is pending, then run Borelu Setup again. Check "
        "your "
        "connection and available disk space. The technical details below include Microsoft's "
        "error code.",
        "أعد تشغيل Windows إذا كان تثبيت بيئة التشغيل معلقًا، ثم شغّل مثبّت Borelu مجددًا. تحقق من "
        "الاتصال والمساحة المتاحة. تتضمن التفاصيل أدناه رمز خطأ Microsoft."}},
      {{"http ", "internet", "could not be reached", "https connection", "download timed",
        "download failed", "download interrupted", "open download", "download connection",
        "connect to borelu"},
       DialogIcon::error,
       {"Could not download Borelu", "تعذّر تنزيل Borelu"},
       {"Check your internet connection and try again. If {host} is temporarily unavailable, try "
        "later. "
        "Your study data is kept.",
        "تحقق من اتصال الإنترنت وحاول مجددًا. إذا كان {host} غير متاح مؤقتًا، جرّب لاحقًا. تبقى بيانات "
        "الدراسة محفوظة."}},
      {{"os error 32", "os error 33", "sharing violation", "file is in use", "remove file"},
       DialogIcon::error,
       {"Windows is still using a program file", "Windows ما زال يستخدم أحد ملفات البرنامج"},
       {"Quit Borelu from its tray icon, let any update finish, then retry. If the file stays "
        "locked, "
        "restart Windows and try again. Removal can resume safely; your study data is kept.",
        "أنهِ Borelu من أيقونته بجانب الساعة، وانتظر أي تحديث جارٍ، ثم أعد المحاولة. إذا بقي الملف "
        "مقفلًا، أعد تشغيل Windows وحاول مجددًا. يمكن إكمال الإزالة وتبقى بيانات الدراسة محفوظة."}},
      {{"service", "hosts", "dns"},
       DialogIcon::error,
       {"The blocking service needs attention", "خدمة الحجب تحتاج معالجة"},
       {"Borelu could not finish updating or removing its blocking service or website rules. "
        "Restart "
        "Windows and retry. If it keeps failing, run the latest Setup to repair the installation. "
        "Keep the "
        "technical details for support.",
        "تعذّر إكمال تحديث أو إزالة خدمة الحجب أو قواعد المواقع. أعد تشغيل Windows وحاول مجددًا. إذا "
        "استمر الخطأ، شغّل أحدث مثبّت لإصلاح التثبيت. احتفظ بالتفاصيل الفنية للدعم."}},
      {{"os error 5", "access denied", "permission", "administrator"},
       DialogIcon::error,
       {"Windows permission is required", "صلاحية Windows مطلوبة"},
       {"Run Setup or Uninstall again and approve the Windows administrator prompt. The main "
        "Borelu app "
        "does not need administrator privileges. If a security product blocked the file, check its "
        "reported reason.",
        "شغّل التثبيت أو الإزالة مجددًا ووافق على طلب صلاحية المسؤول من Windows. تطبيق Borelu "
        "الرئيسي "
        "لا يحتاج هذه الصلاحية. إذا منع برنامج حماية الملف، راجع السبب الذي عرضه."}},
      {{"run borelusetup", "missing updater", "repair", "installed-release", "missing program"},
       DialogIcon::error,
       {"The installation needs repair", "التثبيت يحتاج إصلاحًا"},
       {"Quit Borelu, then run the latest Setup from {host} to repair missing installation files. "
        "Try the "
        "operation again afterward. Your local study data is kept.",
        "أنهِ Borelu، ثم شغّل أحدث مثبّت من {host} لإصلاح ملفات التثبيت الناقصة. أعد المحاولة بعدها. "
        "تبقى بيانات الدراسة المحلية محفوظة."}},
      {{},
       DialogIcon::error,
       {"The operation could not finish", "تعذّر إكمال العملية"},
       {"Try again after closing Borelu and letting any installation or update finish. If it "
        "repeats, keep "
        "the technical details below and contact {support}. Your study data is kept.",
        "حاول مجددًا بعد إنهاء Borelu وانتظار أي تثبيت أو تحديث جارٍ. إذا تكرر الخطأ، احتفظ "
        "بالتفاصيل "
        "أدناه وتواصل مع {support}. تبقى بيانات الدراسة محفوظة."}},
  }};
  return table;
}

}  // namespace

std::string lower_for_keywords(std::string_view text) {
  std::string lower;
  lower.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= 'A' && c <= 'Z') {
      lower.push_back(static_cast<char>(c - 'A' + 'a'));
    } else if (text.substr(i).starts_with("\xC4\xB0")) {  // U+0130 → "i" U+0307
      lower += "i\xCC\x87";
      ++i;
    } else if (text.substr(i).starts_with("\xE2\x84\xAA")) {  // U+212A → "k"
      lower.push_back('k');
      i += 2;
    } else {
      lower.push_back(c);
    }
  }
  return lower;
}

int classify_failure(std::string_view text) {
  const std::string lower = lower_for_keywords(text);
  for (std::size_t i = 0; i < classes().size(); ++i) {
    for (const std::string_view keyword : classes()[i].keywords) {
      if (lower.find(keyword) != std::string::npos) {
        return static_cast<int>(i) + 1;
      }
    }
  }
  return FALLBACK_CLASS;
}

Explanation explain(std::string_view failure, Language language, std::string_view host,
                    std::string_view support_email) {
  const int number = classify_failure(failure);
  const FailureClass& chosen = classes()[static_cast<std::size_t>(number - 1)];
  return Explanation{number, chosen.icon, std::string(pick(chosen.title, language)),
                     fill_placeholders(pick(chosen.body, language),
                                       {{"{host}", host}, {"{support}", support_email}}),
                     std::string(first_scalars(failure, TECHNICAL_DETAILS_MAX_CHARS))};
}

std::string_view english_title(int number) {
  return number >= 1 && number <= 14 ? classes()[static_cast<std::size_t>(number - 1)].title.english
                                     : std::string_view();
}

DialogIcon icon_of(int number) {
  return number >= 1 && number <= 14 ? classes()[static_cast<std::size_t>(number - 1)].icon
                                     : DialogIcon::error;
}

}  // namespace borelu::ui

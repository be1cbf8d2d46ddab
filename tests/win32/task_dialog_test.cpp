// The failure and success dialogs in Arabic, read back from the dialog windows under Xvfb. (The
// English failure dialog is read back from BoreluSetup.exe itself by the entry scenarios.)

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "dialog_reader.h"
#include "ui/catalogue.h"
#include "ui/language.h"
#include "ui/task_dialog.h"

namespace borelu::ui {
namespace {

template <class Show>
testing::DialogSnapshot shown_by(Show show) {
  std::thread dialog_thread(show);
  auto snapshot = testing::take_dialog(GetCurrentProcessId(), std::chrono::seconds(20));
  if (!snapshot) {
    // A dialog that never showed cannot be answered: fail now rather than wait on its thread
    // until ctest's timeout; the process's exit ends the thread.
    dialog_thread.detach();
    ADD_FAILURE() << "no dialog appeared";
    return {};
  }
  dialog_thread.join();  // returns once the dialog was closed with OK
  return *snapshot;
}

class ArabicDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Wine sets up a process's window classes once, on the first thread that asks. A dialog
    // thread that asks first from inside comctl32's start-up (under the loader lock) while this
    // thread, reading the windows, asks too leaves each waiting on the other for good. Both are
    // done here, before any dialog thread starts.
    LoadLibraryW(L"comctl32.dll");
    GetDesktopWindow();
    set_interface_language("ar");
    set_interface_language("en");  // the first choice holds
  }
};

TEST_F(ArabicDialogs, FailureDialogIsMirroredWithArabicTextsAndEnglishDetails) {
  ASSERT_EQ(interface_language(), Language::arabic);
  const auto dialog =
      shown_by([] { explain_failure("Lock Borelu installation: Access denied. (os error 5)"); });
  EXPECT_EQ(dialog.title, "Borelu");
  EXPECT_TRUE(dialog.rightToLeft);
  EXPECT_TRUE(dialog.shows("صلاحية Windows مطلوبة"));
  EXPECT_TRUE(dialog.shows("شغّل التثبيت أو الإزالة مجددًا"));
  EXPECT_TRUE(dialog.shows("التفاصيل الفنية"));
  EXPECT_TRUE(dialog.hasIcon);
}

TEST_F(ArabicDialogs, SuccessDialog) {
  const auto dialog = shown_by([] { show_success_dialog(); });
  EXPECT_EQ(dialog.title, "Borelu");
  EXPECT_TRUE(dialog.rightToLeft);
  EXPECT_TRUE(dialog.shows("تم تثبيت Borelu"));
  EXPECT_TRUE(dialog.shows("Borelu جاهز."));
  EXPECT_FALSE(dialog.shows("التفاصيل الفنية"));
}

}  // namespace
}  // namespace borelu::ui

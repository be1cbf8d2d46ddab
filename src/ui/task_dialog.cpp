#include "ui/task_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "manifest/update_host.h"
#include "ui/catalogue.h"
#include "ui/failure_explanation.h"
#include "ui/language.h"
#include "win/text.h"
#include "win/timeline.h"

namespace borelu::ui {
namespace {

static_assert(sizeof(TASKDIALOGCONFIG) == 160);

struct DialogTexts {
  bool informational = false;
  std::string_view instruction;
  std::string_view content;
  std::optional<std::string_view> details;  // nothing: no expandable section
};

HRESULT CALLBACK on_dialog_notification(HWND, UINT notification, WPARAM, LPARAM, LONG_PTR) {
  if (notification == TDN_CREATED) {
    win::timeline::at("dialog shown");
  }
  return S_OK;
}

// One owner-less task dialog with an OK button, in the interface language and direction.
void show(const DialogTexts& texts) {
  const Language language = interface_language();
  const std::wstring title = win::widen(text::kDialogTitle);
  const std::wstring instruction = win::widen(texts.instruction);
  const std::wstring content = win::widen(texts.content);
  const std::wstring details = win::widen(texts.details.value_or(""));
  const std::wstring expander = win::widen(pick(text::kTechnicalDetails, language));

  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.dwFlags = is_right_to_left(language) ? TDF_RTL_LAYOUT : 0;
  config.dwCommonButtons = TDCBF_OK_BUTTON;
  config.pszWindowTitle = title.c_str();
  config.pszMainIcon = texts.informational ? TD_INFORMATION_ICON : TD_ERROR_ICON;
  config.pszMainInstruction = instruction.c_str();
  config.pszContent = content.c_str();
  if (texts.details) {
    config.pszExpandedInformation = details.c_str();
    config.pszCollapsedControlText = expander.c_str();
  }
  if (win::timeline::enabled()) {
    config.pfCallback = on_dialog_notification;  // only to mark when the dialog is up
  }
  (void)TaskDialogIndirect(&config, nullptr, nullptr, nullptr);
}

}  // namespace

void explain_failure(std::string_view failure) {
  const Explanation explanation =
      explain(failure, interface_language(), manifest::UPDATE_HOST, SUPPORT_EMAIL);
  show({explanation.icon == DialogIcon::information, explanation.title, explanation.body,
        explanation.details});
}

void show_success_dialog() {
  const Language language = interface_language();
  show({true, pick(text::kSuccessInstruction, language), pick(text::kSuccessContent, language),
        std::nullopt});
}

}  // namespace borelu::ui

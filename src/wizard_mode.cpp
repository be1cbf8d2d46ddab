#include "wizard_mode.h"

#include "options.h"
#include "ui/language.h"
#include "ui/task_dialog.h"
#include "ui/wizard/wizard_window.h"

namespace borelu {
namespace {

// What follows a confirmed wizard: the running-instance check and the installation run with its
// progress window and result dialog. Neither is part of this build yet, so a confirmed wizard
// ends here with a failure that says so; nothing pretends to install.
Status run_installation(const options::SetupOptions& /*confirmed*/) {
  return fail("The installation run is not part of this build yet.");
}

}  // namespace

Status run_wizard_mode() {
  const auto wizard = ui::wizard::run_wizard();
  if (!wizard) {
    return std::unexpected(wizard.error());
  }
  if (!*wizard) {
    return fail(std::string(kCancelledMessage));
  }
  const options::SetupOptions& confirmed = **wizard;
  // From here on every text the client shows follows the language chosen in the wizard.
  ui::set_interface_language(confirmed.language);
  return run_installation(confirmed);
}

void report_client_failure(std::string_view message) {
  if (message == kCancelledMessage) {
    return;
  }
  ui::explain_failure(message);
}

}  // namespace borelu

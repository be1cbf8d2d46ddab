#include "wizard_mode.h"

#include "controller/com_apartment.h"
#include "controller/installation_run.h"
#include "controller/running_instance.h"
#include "protocol/options.h"
#include "ui/language.h"
#include "ui/task_dialog.h"
#include "ui/wizard/wizard_window.h"
#include "unelevated_start.h"
#include "win/timeline.h"

namespace borelu {

Status run_wizard_mode() {
  // The windows of this thread hand their accessible objects to screen readers through COM, which
  // needs the thread in an apartment whose calls its message loops serve.
  const controller::ComApartment apartment(COINIT_APARTMENTTHREADED);
  win::timeline::at("COM apartment entered");
  // Elevated, the wizard would run with rights its user's own files must never meet, possibly as
  // another account; the wizard that runs is the one started as the desktop's user.
  const auto relaunched = return_to_desktop_user();
  if (!relaunched) {
    return std::unexpected(relaunched.error());
  }
  if (*relaunched) {
    return {};
  }
  const auto wizard = ui::wizard::run_wizard();
  if (!wizard) {
    return std::unexpected(wizard.error());
  }
  if (!*wizard) {
    return fail(std::string(kCancelledMessage));
  }
  win::timeline::at("wizard closed");
  const options::SetupOptions& confirmed = **wizard;
  // From here on every text the client shows follows the language chosen in the wizard.
  ui::set_interface_language(confirmed.language);

  // Installing over a running Borelu would replace files in use.
  const auto running =
      win::timeline::timed("running-instance check", controller::find_running_instance);
  if (!running) {
    return std::unexpected(running.error());
  }
  if (*running == controller::RunningInstance::running) {
    return fail(std::string(controller::kQuitBoreluFirst));
  }
  return controller::run_installation(confirmed);
}

void report_client_failure(std::string_view message) {
  if (message == kCancelledMessage) {
    return;
  }
  ui::explain_failure(message);
}

}  // namespace borelu

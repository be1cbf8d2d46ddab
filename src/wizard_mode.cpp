#include "wizard_mode.h"

#include "ui/task_dialog.h"

namespace borelu {

Status run_wizard_mode() {
  return fail("The setup wizard is not part of this build yet.");
}

void report_client_failure(std::string_view message) {
  if (message == kCancelledMessage) {
    return;
  }
  ui::explain_failure(message);
}

}  // namespace borelu

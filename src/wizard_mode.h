#pragma once

#include <string_view>

#include "core/failure.h"

namespace borelu {

// The wizard mode: wizard, running-instance check, installation run and result dialog.
[[nodiscard]] Status run_wizard_mode();

// Tells the user about a failure of the wizard mode or of the command line. "Cancelled." ends
// the run silently.
void report_client_failure(std::string_view message);

}  // namespace borelu

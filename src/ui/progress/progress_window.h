#pragma once

#include <optional>

#include "core/failure.h"
#include "ui/language.h"
#include "ui/progress/progress_contract.h"

namespace borelu::ui::progress {

// Shows the progress window ("Borelu.Progress") on this thread until the run's final result
// arrives or the user closes it. Returns that result, nothing when the window was closed without
// one, or a failure when the window could not be opened.
[[nodiscard]] Result<std::optional<Status>> run_progress_window(MessageReceiver receiver,
                                                                CancelRequest& cancel,
                                                                Language language);

}  // namespace borelu::ui::progress

#pragma once

#include <optional>

#include "controller/cancel_state.h"
#include "controller/controller_message.h"
#include "core/failure.h"
#include "ui/language.h"

namespace borelu::ui::progress {

// Shows the progress window ("Borelu.Progress") on this thread until the controller's final
// result arrives or the user closes it. Returns that result, nothing when the window was closed
// without one, or a failure when the window could not be opened.
[[nodiscard]] Result<std::optional<Status>> run_progress_window(
    controller::MessageReceiver receiver, controller::CancelState& cancel, Language language);

}  // namespace borelu::ui::progress

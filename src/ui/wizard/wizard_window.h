#pragma once

// The setup wizard's window: one custom-drawn top-level window of four pages that collects the
// user's preferences. It downloads nothing and starts nothing.

#include <optional>

#include "core/failure.h"
#include "protocol/options.h"

namespace borelu::ui::wizard {

// Shows the wizard at the system DPI with the initial preferences and returns when its window is
// gone: the confirmed preferences when the user chose Install, nothing when the window was closed
// any other way. Fails with "Open setup wizard: <system error>" when the window cannot be made.
[[nodiscard]] Result<std::optional<options::SetupOptions>> run_wizard();

}  // namespace borelu::ui::wizard

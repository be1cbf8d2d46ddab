#pragma once

// What a screen reader finds in the progress window: the status line as static text, the bar as a
// progress bar whose value is the percentage it shows ("45%"; none while it slides without one),
// and Cancel, unavailable once Windows has been asked for permission.

#include <optional>
#include <string_view>
#include <vector>

#include "ui/access/accessible_item.h"
#include "ui/progress/progress_bar.h"

namespace borelu::ui::progress {

// Child ids of the painted items, for the events that tell a screen reader they changed.
inline constexpr long STATUS_CHILD = 1;
inline constexpr long BAR_CHILD = 2;

struct ProgressView {
  std::string_view title;  // names the bar
  std::string_view status;
  const ProgressBar& bar;
  bool cancel_available = true;
  Language language = Language::english;
};

[[nodiscard]] std::vector<AccessibleItem> accessible_progress(const ProgressView& view);

// Whether painting `next` changes the bar's value as a screen reader was last told it, which is
// the percentage of the frame `painted` last (none before the first). The reader hears of a
// change once: the whole percentage shown changes far less often than the bar moves.
[[nodiscard]] bool spoken_value_changed(const std::optional<BarFrame>& painted,
                                        const BarFrame& next);

}  // namespace borelu::ui::progress

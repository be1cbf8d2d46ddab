#include "ui/progress/progress_bar.h"

#include <algorithm>
#include <cmath>

#include "ui/catalogue.h"

namespace borelu::ui {
namespace {

constexpr float kEasing = 0.16F;
constexpr float kPhaseStep = 0.012F;
constexpr float kArrived = 0.005F;  // percent
constexpr float kSegmentShare = 0.28F;

}  // namespace

void set_target(ProgressBar& bar, std::uint32_t percent) {
  bar.target = percent < 100 ? static_cast<float>(percent) : 100.0F;
}

void tick(ProgressBar& bar) {
  bar.shown += (bar.target - bar.shown) * kEasing;
  // In floating point the easing stalls a hair short of its target, which would leave the last
  // pixel of a full bar empty for good; once the rest is invisible, arrive.
  if (std::fabs(bar.target - bar.shown) < kArrived) {
    bar.shown = bar.target;
  }
  bar.phase += kPhaseStep;
}

std::optional<FillSpan> bar_fill(const ProgressBar& bar, int track_left, int track_right,
                                 bool right_to_left) {
  const float width = static_cast<float>(track_right - track_left);
  float offset = 0;
  float length = 0;
  if (bar.target > 0) {
    length = width * std::clamp(bar.shown / 100.0F, 0.0F, 1.0F);
  } else {
    const float segment = kSegmentShare * width;
    const float f = bar.phase - std::floor(bar.phase);
    const float start = (segment + width) * f - segment;
    offset = std::max(start, 0.0F);
    length = std::min(start + segment, width) - offset;
  }
  if (!(length > 1.0F)) {
    return std::nullopt;
  }
  // Edges are truncated to whole pixels.
  if (right_to_left) {
    const float right = static_cast<float>(track_right) - offset;
    return FillSpan{static_cast<int>(right - length), static_cast<int>(right)};
  }
  const float left = static_cast<float>(track_left) + offset;
  return FillSpan{static_cast<int>(left), static_cast<int>(left + length)};
}

std::optional<std::string> percentage_label(const ProgressBar& bar) {
  if (!(bar.target > 0)) {
    return std::nullopt;
  }
  return percentage(static_cast<std::uint32_t>(std::lround(bar.shown)));
}

BarFrame bar_frame(const ProgressBar& bar, int track_left, int track_right, bool right_to_left) {
  return {bar_fill(bar, track_left, track_right, right_to_left), percentage_label(bar)};
}

}  // namespace borelu::ui

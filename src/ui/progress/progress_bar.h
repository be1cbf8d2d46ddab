#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace borelu::ui {

// The progress window's bar between ticks of its 16 ms timer: the target the controller last
// reported, the shown value easing towards it, and the phase of the sliding segment shown while
// no percentage is known.
struct ProgressBar {
  float target = 0;
  float shown = 0;
  float phase = 0;
};

// A reported percent as the bar's target: anything from 100 up (a negative value sent as an
// unsigned number included) is a full bar.
void set_target(ProgressBar& bar, std::uint32_t percent);

// One timer tick: 16% of the remaining distance, and the segment slides on.
void tick(ProgressBar& bar);

// The filled part of a track, in whole device pixels.
struct FillSpan {
  int left = 0;
  int right = 0;
  bool operator==(const FillSpan&) const = default;
};

// Where the fill lies on a track from `track_left` to `track_right`: the eased share of a known
// percentage, or the sliding segment while none is known; it grows from the right edge in a
// right-to-left window. Nothing when less than two pixels would be filled.
[[nodiscard]] std::optional<FillSpan> bar_fill(const ProgressBar& bar, int track_left,
                                               int track_right, bool right_to_left);

// "NN%" beside the bar, only once a percentage is known.
[[nodiscard]] std::optional<std::string> percentage_label(const ProgressBar& bar);

// Everything of the bar that reaches the screen: two ticks with equal frames draw the same
// pixels, so the second needs no paint.
struct BarFrame {
  std::optional<FillSpan> fill;
  std::optional<std::string> label;
  bool operator==(const BarFrame&) const = default;
};
[[nodiscard]] BarFrame bar_frame(const ProgressBar& bar, int track_left, int track_right,
                                 bool right_to_left);

}  // namespace borelu::ui

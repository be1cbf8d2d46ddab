#pragma once

// Where the progress window's parts are, in its 520-wide logical space (mirrored in Arabic).

#include "theme/geometry.h"

namespace borelu::ui::progress {

inline constexpr int CANCEL_ID = 201;

inline constexpr theme::LogicalRect CANCEL_BUTTON{380, 178, 112, 38};
inline constexpr theme::LogicalRect ICON{28, 26, 34, 34};
inline constexpr theme::LogicalRect TITLE{76, 24, 416, 26};
inline constexpr theme::LogicalRect BRAND{76, 50, 200, 18};
inline constexpr theme::LogicalRect STATUS{28, 84, 464, 44};
inline constexpr theme::LogicalRect TRACK{28, 140, 464, 10};
inline constexpr theme::LogicalRect PERCENTAGE{412, 158, 80, 20};
// What the timer repaints: the status line, the bar and the percentage, never the header.
inline constexpr theme::LogicalRect ANIMATED_BAND{0, 80, 520, 110};

}  // namespace borelu::ui::progress

// When a press of an owner-drawn button is a click, and how it looks on the way: each row is what
// a user does, the button's look after each input, and how many clicks reach the window.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/window/button_press.h"

namespace borelu::ui {
namespace {

using enum PressInput;

TEST(ButtonPress, ClicksOnlyWhenTheReleaseEndsAPressOverTheButton) {
  const struct {
    std::string what;
    std::vector<PressInput> inputs;
    std::string pushed;  // after each input: '1' drawn pushed, '0' not
    int clicks;
  } rows[] = {
      {"a click", {mouse_down, mouse_up_inside}, "10", 1},
      {"dragged off and released", {mouse_down, mouse_moved_outside, mouse_up_outside}, "100", 0},
      {"dragged off and back",
       {mouse_down, mouse_moved_outside, mouse_moved_inside, mouse_up_inside},
       "1010",
       1},
      {"a release that no press began", {mouse_up_inside, space_up}, "00", 0},
      {"the pointer passing over", {mouse_moved_inside, mouse_moved_outside}, "00", 0},
      {"capture taken by another window", {mouse_down, capture_lost, mouse_up_inside}, "100", 0},
      {"Space", {space_down, space_up}, "10", 1},
      {"Space held and repeating", {space_down, space_down, space_down, space_up}, "1110", 1},
      {"focus moved away while Space is down", {space_down, focus_lost, space_up}, "100", 0},
      {"Space while the mouse holds it",
       {mouse_down, space_down, space_up, mouse_up_inside},
       "1110",
       1},
      {"the mouse while Space holds it",
       {space_down, mouse_down, mouse_up_inside, space_up},
       "1100",
       1},
      {"two clicks", {mouse_down, mouse_up_inside, mouse_down, mouse_up_inside}, "1010", 2},
  };
  for (const auto& row : rows) {
    ButtonPress press;
    std::string pushed;
    int clicks = 0;
    for (const PressInput input : row.inputs) {
      const PressStep step = press_step(press, input);
      press = step.next;
      pushed += press.pushed ? '1' : '0';
      clicks += step.clicked ? 1 : 0;
    }
    EXPECT_EQ(pushed, row.pushed) << row.what;
    EXPECT_EQ(clicks, row.clicks) << row.what;
    EXPECT_FALSE(press.pressed()) << row.what << ": every row ends released";
  }
}

}  // namespace
}  // namespace borelu::ui

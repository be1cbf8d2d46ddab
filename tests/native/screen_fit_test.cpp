#include <gtest/gtest.h>

#include "theme/screen_fit.h"

namespace borelu::theme {
namespace {

// What a fixed frame with a caption adds at each DPI: borders of 3 pixels and a caption of 23
// at 100 %, scaled (as the system draws them at the monitor's DPI).
constexpr PixelSize kFrame96{6, 29};
constexpr PixelSize kFrame120{8, 36};
constexpr PixelSize kFrame144{10, 43};
constexpr PixelSize kFrame168{12, 51};

TEST(ScreenFit, CentresInTheWorkAreaAtTheLargestScaleThatFits) {
  const struct {
    const char* screen;
    float width, height;
    PixelSize frame;
    MonitorArea monitor;
    ScreenFit fit;
  } cases[] = {
      {"1366x768 at 100 %, taskbar below",
       WIZARD_WIDTH,
       WIZARD_HEIGHT,
       kFrame96,
       {96, {0, 0, 1366, 728}},
       {96, 1.0f, {320, 59, 1046, 668}}},
      // 900 x 725 and the frame would pass under the taskbar: 112 DPI is the largest that fits.
      {"1366x768 at 125 %, taskbar below",
       WIZARD_WIDTH,
       WIZARD_HEIGHT,
       kFrame120,
       {120, {0, 0, 1366, 718}},
       {112, 112.0f / 96, {259, 2, 1107, 715}}},
      {"1366x768 at 125 %, taskbar at the left",
       WIZARD_WIDTH,
       WIZARD_HEIGHT,
       kFrame120,
       {120, {62, 0, 1366, 768}},
       {120, 1.25f, {260, 3, 1168, 764}}},
      {"1366x768 at 100 %, taskbar at the top",
       WIZARD_WIDTH,
       WIZARD_HEIGHT,
       kFrame96,
       {96, {0, 40, 1366, 768}},
       {96, 1.0f, {320, 99, 1046, 708}}},
      {"1280x720 at 100 %",
       WIZARD_WIDTH,
       WIZARD_HEIGHT,
       kFrame96,
       {96, {0, 0, 1280, 680}},
       {96, 1.0f, {277, 35, 1003, 644}}},
      // 105 DPI fills the height exactly.
      {"1280x720 at 125 %",
       WIZARD_WIDTH,
       WIZARD_HEIGHT,
       kFrame120,
       {120, {0, 0, 1280, 670}},
       {105, 105.0f / 96, {242, 0, 1038, 670}}},
      {"1920x1080 at 150 %",
       WIZARD_WIDTH,
       WIZARD_HEIGHT,
       kFrame144,
       {144, {0, 0, 1920, 1020}},
       {144, 1.5f, {415, 53, 1505, 966}}},
      {"1920x1080 at 175 %",
       WIZARD_WIDTH,
       WIZARD_HEIGHT,
       kFrame168,
       {168, {0, 0, 1920, 1010}},
       {158, 158.0f / 96, {361, 2, 1558, 1008}}},
      {"a second monitor above and to the right, 1366x768 at 125 %",
       WIZARD_WIDTH,
       WIZARD_HEIGHT,
       kFrame120,
       {120, {1920, -200, 3286, 518}},
       {112, 112.0f / 96, {2179, -198, 3027, 515}}},
      // Too large even at 100 %: never smaller, and the caption stays on the screen.
      {"800x600 at 100 %",
       WIZARD_WIDTH,
       WIZARD_HEIGHT,
       kFrame96,
       {96, {0, 0, 800, 560}},
       {96, 1.0f, {37, 0, 763, 609}}},
      {"a monitor reporting 72 DPI",
       WIZARD_WIDTH,
       WIZARD_HEIGHT,
       kFrame96,
       {72, {0, 0, 1366, 728}},
       {96, 1.0f, {320, 59, 1046, 668}}},
      {"the progress window, 1366x768 at 125 %",
       PROGRESS_WIDTH,
       PROGRESS_HEIGHT,
       kFrame120,
       {120, {0, 0, 1366, 718}},
       {120, 1.25f, {354, 196, 1012, 522}}},
  };
  for (const auto& c : cases) {
    const ScreenFit fit = fit_window(c.width, c.height, c.frame, c.monitor);
    EXPECT_EQ(fit, c.fit) << c.screen << ": " << fit.dpi << " DPI at " << fit.outer.left << ","
                          << fit.outer.top << "," << fit.outer.right << "," << fit.outer.bottom;
    // Whatever the screen, the client area is the logical size at the chosen scale.
    EXPECT_EQ(fit.outer.width() - c.frame.width, scaled(c.width, fit.scale)) << c.screen;
    EXPECT_EQ(fit.outer.height() - c.frame.height, scaled(c.height, fit.scale)) << c.screen;
  }
}

TEST(ScreenFit, AfterADpiChangeTakesTheSuggestionOnlyWhenItFits) {
  const DeviceRect suggested{700, 300, 1790, 1213};  // the wizard at 150 %, as the system offers
  const struct {
    const char* screen;
    MonitorArea monitor;
    ScreenFit fit;
  } cases[] = {
      {"1920x1080 at 150 %", {144, {0, 0, 1920, 1020}}, {144, 1.5f, suggested}},
      // Smaller, and moved up and left to lie inside the work area.
      {"1366x768 at 150 %", {144, {0, 0, 1366, 718}}, {111, 111.0f / 96, {523, 4, 1366, 718}}},
      {"1366x768 at 150 % to the right",
       {144, {1920, 0, 3286, 718}},
       {111, 111.0f / 96, {1920, 4, 2763, 718}}},
  };
  for (const auto& c : cases) {
    const ScreenFit fit =
        refit_window(WIZARD_WIDTH, WIZARD_HEIGHT, kFrame144, c.monitor, suggested);
    EXPECT_EQ(fit, c.fit) << c.screen << ": " << fit.dpi << " DPI at " << fit.outer.left << ","
                          << fit.outer.top << "," << fit.outer.right << "," << fit.outer.bottom;
  }
}

}  // namespace
}  // namespace borelu::theme

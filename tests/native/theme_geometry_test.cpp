#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "theme/geometry.h"
#include "theme/typography.h"

namespace borelu::theme {
namespace {

constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
constexpr auto kMin = std::numeric_limits<std::int32_t>::min();

TEST(Rounding, HalvesAwayFromZeroAndSaturates) {
  const struct {
    double value;
    std::int32_t pixel;
  } cases[] = {{0.5, 1},      {-0.5, -1},           {2.5, 3},          {-2.5, -3},
               {1.4999, 1},   {22.5, 23},           {std::nan(""), 0}, {1e10, kMax},
               {-1e10, kMin}, {2147483647.6, kMax}, {INFINITY, kMax},  {-INFINITY, kMin}};
  for (const auto& c : cases) {
    EXPECT_EQ(round_to_pixel(c.value), c.pixel) << c.value;
  }
}

TEST(ScaleRect, MirrorsRoundsEachEdgeAndSaturates) {
  const LogicalSpace wizard{WIZARD_WIDTH, 1.0f, false};
  const LogicalSpace wizard_rtl{WIZARD_WIDTH, 1.0f, true};
  const struct {
    LogicalRect rect;
    LogicalSpace space;
    DeviceRect device;
  } cases[] = {
      {{36, 510, 112, 44}, wizard, {36, 510, 148, 554}},
      {{36, 510, 112, 44}, wizard_rtl, {572, 510, 684, 554}},
      {{36, 510, 112, 44}, {WIZARD_WIDTH, 1.5f, true}, {858, 765, 1026, 831}},
      {{380, 178, 112, 38}, {PROGRESS_WIDTH, 1.0f, true}, {28, 178, 140, 216}},
      {{0, 0, 720, 580}, {WIZARD_WIDTH, 1.5f, false}, {0, 0, 1080, 870}},
      // Right and bottom from the far edge: 0.3 + 0.4 = 0.7 rounds to 1, a rounded size of 0.4
      // would give 0.
      {{0.3f, 0.3f, 0.4f, 0.4f}, wizard, {0, 0, 1, 1}},
      {{2, 2, 2, 2}, {WIZARD_WIDTH, 1.25f, false}, {3, 3, 5, 5}},
      {{-1, -3, 1, 2}, {WIZARD_WIDTH, 1.5f, false}, {-2, -5, 0, -2}},
      {{1, 1, 1, 1}, {WIZARD_WIDTH, std::nanf(""), false}, {0, 0, 0, 0}},
      {{1, 1, 1, 1}, {WIZARD_WIDTH, 3e9f, false}, {kMax, kMax, kMax, kMax}},
      {{1, 1, 1, 1}, {WIZARD_WIDTH, -3e9f, false}, {kMin, kMin, kMin, kMin}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(scale_rect(c.rect, c.space), c.device)
        << c.rect.x << "," << c.rect.w << " scale " << c.space.scale;
  }
}

TEST(WindowSize, DpiRuleClientSizeAndCentring) {
  for (const auto& [dpi, scale] :
       {std::pair{0u, 1.0f}, {72u, 1.0f}, {96u, 1.0f}, {120u, 1.25f}, {144u, 1.5f}, {192u, 2.0f}}) {
    EXPECT_EQ(scale_for_dpi(dpi), scale) << dpi;
  }
  EXPECT_EQ(effective_dpi(72), 96u);
  EXPECT_EQ(client_size(WIZARD_WIDTH, WIZARD_HEIGHT, 1.0f), (PixelSize{720, 580}));
  EXPECT_EQ(client_size(PROGRESS_WIDTH, PROGRESS_HEIGHT, 1.0f), (PixelSize{520, 232}));
  EXPECT_EQ(client_size(WIZARD_WIDTH, WIZARD_HEIGHT, 1.5f), (PixelSize{1080, 870}));
  EXPECT_EQ(client_size(PROGRESS_WIDTH, PROGRESS_HEIGHT, 1.5f), (PixelSize{780, 348}));
  EXPECT_EQ(centred_origin({1280, 1024}, {737, 619}), (PixelPoint{271, 202}));
  EXPECT_EQ(centred_origin({800, 600}, {1101, 900}), (PixelPoint{-150, -150}));
}

TEST(RoundRectArcs, DiameterIsClampedToTheRectangle) {
  const struct {
    RectF rect;
    float radius;
    float diameter;
  } cases[] = {
      {{10, 20, 100, 40}, 10, 20},  // ordinary corners
      {{10, 20, 100, 40}, 50, 40},  // oversized radius: a capsule
      {{0, 0, 30, 30}, 100, 30},    // a circle
      {{5, 5, 0, 0}, 10, 0.01f},    // empty rectangle: the smallest figure
      {{5, 5, -2, 8}, 10, 0.01f},   // a pen wider than its rectangle
      {{0, 0, 30, 30}, 0, 0.01f},   // square corners
  };
  for (const auto& c : cases) {
    const auto arcs = round_rect_arcs(c.rect, c.radius);
    const float d = c.diameter;
    const RectF& r = c.rect;
    EXPECT_EQ(arcs[0], (ArcBox{r.x, r.y, d, 180}));
    EXPECT_EQ(arcs[1], (ArcBox{r.x + r.w - d, r.y, d, 270}));
    EXPECT_EQ(arcs[2], (ArcBox{r.x + r.w - d, r.y + r.h - d, d, 0}));
    EXPECT_EQ(arcs[3], (ArcBox{r.x, r.y + r.h - d, d, 90}));
  }
  // A stroke's path is inset by half the pen so the stroke stays inside the rectangle.
  EXPECT_EQ(stroke_path_rect({10, 20, 100, 40}, 3), (RectF{11.5f, 21.5f, 97, 37}));
}

TEST(Typography, AlignmentTableAndFontHeights) {
  const struct {
    Align align;
    bool rtl;
    AlignmentBits bits;
  } cases[] = {
      {Align::start, false, {false, false, false}}, {Align::start, true, {true, false, true}},
      {Align::centre, false, {false, true, false}}, {Align::centre, true, {false, true, true}},
      {Align::end, false, {true, false, false}},    {Align::end, true, {false, false, true}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(alignment_bits(c.align, c.rtl), c.bits)
        << static_cast<int>(c.align) << " rtl " << c.rtl;
  }
  EXPECT_EQ(font_height(15, 1.0f), -15);
  EXPECT_EQ(font_height(15, 1.5f), -23);  // 22.5 rounds away from zero
  EXPECT_EQ(font_height(13, 1.5f), -20);
  EXPECT_EQ(font_height(27, 2.0f), -54);
}

// A paint leaves out what lies outside the area it was asked for: rectangles that only touch
// share no pixel, one that reaches a single pixel in does.
TEST(DeviceRect, OverlapsOnlyWhenAPixelIsShared) {
  const DeviceRect band{0, 80, 520, 190};
  const struct {
    DeviceRect other;
    bool overlaps;
  } cases[] = {
      {{28, 24, 444, 50}, false},     // the title, above
      {{0, 60, 520, 80}, false},      // touching the band's top edge
      {{0, 190, 520, 200}, false},    // touching its bottom edge
      {{0, 79, 520, 81}, true},       // one row in
      {{519, 100, 600, 120}, true},   // one column in
      {{100, 100, 100, 120}, false},  // empty
  };
  for (const auto& c : cases) {
    EXPECT_EQ(band.overlaps(c.other), c.overlaps) << c.other.left << "," << c.other.top;
    EXPECT_EQ(c.other.overlaps(band), c.overlaps);
  }
}

}  // namespace
}  // namespace borelu::theme

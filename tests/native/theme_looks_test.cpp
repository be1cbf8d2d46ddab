#include <gtest/gtest.h>

#include "high_contrast_schemes.h"
#include "theme/choice_layout.h"
#include "theme/push_button_look.h"

namespace borelu::theme {
namespace {

using namespace palette;

TEST(PushButtonLook, ColoursByVariantAndState) {
  using V = ButtonVariant;
  const ButtonState rest{};
  const ButtonState hovered{.hovered = true};
  const ButtonState hovered_pressed{.pressed = true, .hovered = true};
  const ButtonState disabled{.disabled = true};
  const ButtonState disabled_hovered{.disabled = true, .hovered = true};
  const ButtonState focused{.focused = true};
  const Outline accent90{Accent, 90};
  const Outline border{Border, 255};
  const struct {
    V variant;
    ButtonState state;
    ButtonLook look;
  } cases[] = {
      {V::primary, rest, {White, AccentFill, accent90}},
      {V::primary, focused, {White, AccentFill, accent90}},
      {V::primary, hovered, {White, AccentFillHover, accent90}},
      {V::primary, hovered_pressed, {White, AccentFill, accent90}},
      {V::primary, disabled, {TextSecondary, HoverSurface, std::nullopt}},
      {V::primary, disabled_hovered, {TextSecondary, HoverSurface, std::nullopt}},
      {V::secondary, rest, {TextPrimary, Surface, border}},
      {V::secondary, hovered, {TextPrimary, HoverSurface, border}},
      {V::secondary, hovered_pressed, {TextPrimary, HoverSurface, border}},
      {V::secondary, disabled, {Border, Surface, border}},
      {V::secondary, disabled_hovered, {Border, Surface, border}},
      {V::ghost, rest, {TextSecondary, Background, std::nullopt}},
      {V::ghost, hovered, {TextSecondary, Surface, border}},
      {V::ghost, disabled_hovered, {TextSecondary, Background, border}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(push_button_look(c.variant, c.state, DARK_PALETTE), c.look)
        << "variant " << static_cast<int>(c.variant) << " disabled " << c.state.disabled
        << " pressed " << c.state.pressed << " hovered " << c.state.hovered;
  }
}

TEST(PushButtonLayout, PressedBodyMovesDownByTheScaleAndTheFocusRingStays) {
  const DeviceRect item{100, 50, 268, 116};
  const auto pressed =
      push_button_layout(item, {.pressed = true, .focused = true}, 1.5f, DARK_PALETTE);
  EXPECT_EQ(pressed.body, (DeviceRect{100, 52, 268, 118}));
  EXPECT_EQ(pressed.text, item);
  ASSERT_TRUE(pressed.focus_ring);
  EXPECT_EQ(pressed.focus_ring->rect, item);
  EXPECT_EQ(pressed.focus_ring->pen_width, 3.0f);
  EXPECT_EQ(pressed.focus_ring->outline, (Outline{Accent, 255}));
  EXPECT_EQ(pressed.radius, 15.0f);
  EXPECT_EQ(pressed.outline_width, 1.5f);

  const auto disabled =
      push_button_layout(item, {.disabled = true, .pressed = true}, 2.0f, DARK_PALETTE);
  EXPECT_EQ(disabled.body, item);
  EXPECT_FALSE(disabled.focus_ring);
}

TEST(ChoiceFrame, FillAndOutlineByKindAndState) {
  using K = ChoiceKind;
  const struct {
    K kind;
    ChoiceState state;
    Colour fill;
    Colour outline;
    float pen;
  } cases[] = {
      {K::english_card, {.on = true}, SelectedSurface, Accent, 1.6f},
      {K::arabic_card, {.on = true, .hovered = true}, SelectedSurface, Accent, 1.6f},
      {K::english_card, {}, Surface, Border, 1.0f},
      {K::arabic_card, {.hovered = true}, HoverSurface, Border, 1.0f},
      {K::english_card, {.focused = true}, Surface, Accent, 1.6f},
      {K::agreement, {.on = true}, Surface, Border, 1.0f},
      {K::agreement, {.on = true, .focused = true}, Surface, Accent, 1.6f},
      {K::switch_row, {.on = true, .hovered = true}, HoverSurface, Border, 1.0f},
      {K::switch_row, {.on = true, .hovered = true, .focused = true}, HoverSurface, Accent, 1.6f},
  };
  const DeviceRect item{10, 20, 658, 124};
  for (const auto& c : cases) {
    const auto frame = choice_frame(c.kind, item, c.state, 2.0f, DARK_PALETTE);
    EXPECT_EQ(frame.fill, c.fill) << static_cast<int>(c.kind);
    EXPECT_EQ(frame.outline.outline, (Outline{c.outline, 255})) << static_cast<int>(c.kind);
    EXPECT_EQ(frame.outline.pen_width, c.pen * 2.0f);
    EXPECT_EQ(frame.outline.radius, 28.0f);
    EXPECT_EQ(frame.outline.rect, item);
  }
}

std::string hex_of(Colour c) {
  return std::to_string(c.rgb);
}

// Reflection of a horizontal span across the item's vertical centre line.
float mirrored_x(const DeviceRect& item, float x, float w) {
  return static_cast<float>(item.left + item.right) - x - w;
}

TEST(ChoiceLayout, SizesAtOneAndAHalf) {
  const DeviceRect card{54, 321, 528, 477};  // (36, 214, 316, 104) at 1.5
  const auto radio =
      language_card_layout(ChoiceKind::english_card, card, true, 1.5f, false, DARK_PALETTE);
  EXPECT_EQ(radio.radio, (RectF{528 - 66, 321 + 33, 33, 33}));
  ASSERT_TRUE(radio.dot);
  EXPECT_EQ(radio.dot->diameter, 16.5f);
  EXPECT_EQ(radio.dot->centre(), (PointF{478.5f, 370.5f}));  // the radio box's centre
  EXPECT_EQ(radio.title.rect, (DeviceRect{54 + 33, 321 + 30, 54 + 474 + 33 - 120, 321 + 75}));
  EXPECT_EQ(radio.subtitle.rect, (DeviceRect{87, 321 + 84, 441, 321 + 120}));
  EXPECT_FALSE(
      language_card_layout(ChoiceKind::arabic_card, card, false, 1.5f, false, DARK_PALETTE).dot);

  const DeviceRect row{54, 636, 1026, 711};  // (36, 424, 648, 50) at 1.5
  const auto agreement = agreement_layout(row, false, 1.5f, false, DARK_PALETTE);
  EXPECT_EQ(agreement.box, (RectF{54 + 24, 636 + 21, 33, 33}));
  EXPECT_EQ(agreement.text.rect, (DeviceRect{54 + 78, 636, 1026 - 120, 711}));
  ASSERT_TRUE(agreement.box_outline);
  EXPECT_EQ(*agreement.box_outline, (Outline{TextSecondary, 255}));
  EXPECT_FALSE(agreement.mark);

  const DeviceRect switch_row{54, 300, 1026, 381};  // (36, 200, 648, 54) at 1.5
  const auto off = switch_layout(switch_row, false, 1.5f, false, DARK_PALETTE);
  EXPECT_EQ(off.track, (RectF{1026 - 27 - 66, 300 + 21, 66, 39}));
  EXPECT_EQ(off.radius, 19.5f);
  EXPECT_EQ(off.knob.diameter, 27.0f);
  EXPECT_EQ(off.knob.x, 933 + 6.0f);  // start side: track left + (39 - 27) / 2
  EXPECT_EQ(off.knob.y, 321 + 6.0f);
  EXPECT_EQ(off.knob.colour, TextSecondary);
  EXPECT_EQ(off.track_fill, HoverSurface);
  EXPECT_EQ(off.track_outline, (Outline{Border, 255}));
  EXPECT_EQ(off.text.rect, (DeviceRect{54 + 30, 300, 1026 - 120, 381}));
}

// Arabic places every mark, track, knob and text column where English puts its mirror image;
// the check mark keeps its shape and the cards keep their own text direction.
TEST(ChoiceLayout, ArabicMirrorsEnglishInsideTheItem) {
  const DeviceRect item{40, 10, 40 + 487, 10 + 81};
  for (float scale : {1.0f, 1.5f, 2.0f, 1.25f}) {
    for (bool on : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "scale " << scale << " on " << on);
      for (auto card : {ChoiceKind::english_card, ChoiceKind::arabic_card}) {
        const auto en = language_card_layout(card, item, on, scale, false, DARK_PALETTE);
        const auto ar = language_card_layout(card, item, on, scale, true, DARK_PALETTE);
        EXPECT_EQ(ar.radio.x, mirrored_x(item, en.radio.x, en.radio.w));
        EXPECT_EQ(ar.radio.y, en.radio.y);
        EXPECT_EQ(ar.title.rect.left, item.left + item.right - en.title.rect.right);
        EXPECT_EQ(ar.subtitle.rect.right, item.left + item.right - en.subtitle.rect.left);
        EXPECT_EQ(ar.title.right_to_left, card == ChoiceKind::arabic_card);
        EXPECT_EQ(en.title.right_to_left, card == ChoiceKind::arabic_card);
        EXPECT_EQ(en.subtitle.right_to_left, card == ChoiceKind::arabic_card);
        EXPECT_GT(en.radio.x, static_cast<float>(en.title.rect.right));  // mark at the end side
      }
      const auto en_box = agreement_layout(item, on, scale, false, DARK_PALETTE);
      const auto ar_box = agreement_layout(item, on, scale, true, DARK_PALETTE);
      EXPECT_EQ(ar_box.box.x, mirrored_x(item, en_box.box.x, en_box.box.w));
      EXPECT_LT(en_box.box.x, static_cast<float>(en_box.text.rect.left));  // box at the start
      EXPECT_EQ(ar_box.text.rect.left, item.left + item.right - en_box.text.rect.right);
      EXPECT_TRUE(ar_box.text.right_to_left);
      EXPECT_FALSE(en_box.text.right_to_left);
      if (on) {
        for (int i = 0; i < 3; ++i) {
          EXPECT_NEAR(ar_box.mark->points[i].x - ar_box.box.x,
                      en_box.mark->points[i].x - en_box.box.x, 1e-3);
          EXPECT_EQ(ar_box.mark->points[i].y, en_box.mark->points[i].y);
        }
      }
      const auto en_sw = switch_layout(item, on, scale, false, DARK_PALETTE);
      const auto ar_sw = switch_layout(item, on, scale, true, DARK_PALETTE);
      EXPECT_EQ(ar_sw.track.x, mirrored_x(item, en_sw.track.x, en_sw.track.w));
      EXPECT_EQ(ar_sw.knob.x, mirrored_x(item, en_sw.knob.x, en_sw.knob.diameter));
      EXPECT_EQ(ar_sw.text.rect.left, item.left + item.right - en_sw.text.rect.right);
      EXPECT_GT(en_sw.track.x, static_cast<float>(en_sw.text.rect.right));  // track at the end
      // English: on puts the knob at the track's right end, off at its left end.
      const float track_middle = en_sw.track.x + en_sw.track.w / 2;
      EXPECT_EQ(en_sw.knob.centre().x > track_middle, on);
    }
  }
}

TEST(HighContrast, ChosenByTheSystemFlagWithTheSchemesOwnColours) {
  const Palette black = high_contrast_palette(testing::HIGH_CONTRAST_BLACK);
  EXPECT_EQ(choose_palette(false, testing::HIGH_CONTRAST_BLACK), DARK_PALETTE);
  EXPECT_EQ(choose_palette(true, testing::HIGH_CONTRAST_BLACK), black);
  EXPECT_TRUE(black.high_contrast);
  EXPECT_EQ(black.background, Colour{0x000000});
  EXPECT_EQ(black.text_primary, Colour{0xFFFFFF});
  EXPECT_EQ(black.accent_fill, Colour{0x1AEBFF});
  EXPECT_EQ(black.disabled_text, Colour{0x3FF23F});
  EXPECT_EQ(black.hover_border, Colour{0xFFFF00});
  // Nothing is translucent in high contrast; the dark look keeps its alphas.
  EXPECT_EQ(black.alpha(90), 255);
  EXPECT_EQ(DARK_PALETTE.alpha(90), 90);
}

// In every palette, whatever the state, text and marks differ from what they are drawn on; in
// high contrast the focus also has a focus rectangle, and a disabled button keeps an outline.
TEST(HighContrast, EveryStateStaysVisible) {
  const DeviceRect item{10, 20, 658, 124};
  for (const Palette& palette : {DARK_PALETTE, high_contrast_palette(testing::HIGH_CONTRAST_BLACK),
                                 high_contrast_palette(testing::HIGH_CONTRAST_WHITE)}) {
    SCOPED_TRACE(palette.high_contrast ? hex_of(palette.background) : "dark");
    for (const auto variant :
         {ButtonVariant::primary, ButtonVariant::secondary, ButtonVariant::ghost}) {
      for (int bits = 0; bits < 16; ++bits) {
        const ButtonState state{.disabled = (bits & 1) != 0,
                                .pressed = (bits & 2) != 0,
                                .focused = (bits & 4) != 0,
                                .hovered = (bits & 8) != 0};
        const ButtonLook look = push_button_look(variant, state, palette);
        EXPECT_NE(look.text, look.fill) << static_cast<int>(variant) << " state " << bits;
        const auto layout = push_button_layout(item, state, 1.5f, palette);
        EXPECT_EQ(layout.focus_rect.has_value(), palette.high_contrast && state.focused);
        if (palette.high_contrast && state.disabled) {
          EXPECT_EQ(look.text, palette.disabled_text);
          EXPECT_TRUE(variant == ButtonVariant::ghost || look.outline) << bits;
        }
      }
    }
    for (const auto kind :
         {ChoiceKind::english_card, ChoiceKind::agreement, ChoiceKind::switch_row}) {
      for (int bits = 0; bits < 8; ++bits) {
        const ChoiceState state{
            .on = (bits & 1) != 0, .hovered = (bits & 2) != 0, .focused = (bits & 4) != 0};
        const ChoiceFrame frame = choice_frame(kind, item, state, 1.5f, palette);
        EXPECT_EQ(frame.focus_rect.has_value(), palette.high_contrast && state.focused);
        const std::string what =
            std::to_string(static_cast<int>(kind)) + " state " + std::to_string(bits);
        if (kind == ChoiceKind::english_card) {
          const auto card = language_card_layout(kind, item, state.on, 1.5f, false, palette);
          EXPECT_NE(card.title.colour, frame.fill) << what;
          EXPECT_NE(card.subtitle.colour, frame.fill) << what;
          EXPECT_NE(card.ring.colour, frame.fill) << what;
          EXPECT_TRUE(!card.dot || card.dot->colour != frame.fill) << what;
        } else if (kind == ChoiceKind::agreement) {
          const auto row = agreement_layout(item, state.on, 1.5f, false, palette);
          EXPECT_NE(row.text.colour, frame.fill) << what;
          if (state.on) {
            EXPECT_NE(row.mark->colour, *row.box_fill) << what;
            EXPECT_NE(*row.box_fill, frame.fill) << what;
          } else {
            EXPECT_NE(row.box_outline->colour, frame.fill) << what;
          }
        } else {
          const auto row = switch_layout(item, state.on, 1.5f, false, palette);
          EXPECT_NE(row.text.colour, frame.fill) << what;
          EXPECT_NE(row.knob.colour, row.track_fill) << what;
          // The track shows on the row by its fill or by its outline.
          EXPECT_TRUE(row.track_fill != frame.fill || row.track_outline.colour != frame.fill)
              << what;
        }
      }
    }
  }
}

}  // namespace
}  // namespace borelu::theme

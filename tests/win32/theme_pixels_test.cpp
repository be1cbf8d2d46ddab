// Pixels of the owner-drawn controls: every push-button variant and every choice control, in
// each state, both directions and three scales, in the dark look and in two of Windows'
// high-contrast schemes, rendered through the routine that answers WM_DRAWITEM into a 32-bit
// bitmap, then read back at points the layout computes.

#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "control_bench.h"
#include "high_contrast_schemes.h"
#include "theme/choice_controls.h"
#include "theme/fonts.h"
#include "theme/hover.h"
#include "theme/push_button.h"
#include "ui/catalogue.h"
#include "ui/wizard/wizard_model.h"

namespace borelu::theme {
namespace {

using testing::ControlBench;
using testing::Dib;

// Around every item: no colour of the theme or of the schemes, so a stroke outside the item shows.
constexpr Colour kSentinel{0xFF00FF};
constexpr std::int32_t kMargin = 6;
constexpr float kScales[] = {1.0f, 1.5f, 2.0f};
constexpr ui::Language kLanguages[] = {ui::Language::english, ui::Language::arabic};

struct NamedPalette {
  const char* name;
  Palette palette;
};
const NamedPalette kPalettes[] = {
    {"dark", DARK_PALETTE},
    {"high contrast black", high_contrast_palette(testing::HIGH_CONTRAST_BLACK)},
    {"high contrast white", high_contrast_palette(testing::HIGH_CONTRAST_WHITE)},
};

struct Sample {
  std::string what;
  std::int32_t x = 0, y = 0;
  Colour colour;
  int tolerance = 0;  // per channel; only where a colour is laid over another with alpha
};

bool close_to(Colour a, Colour b, int tolerance) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

std::string hex(Colour c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(c.rgb));
  return text;
}

std::int32_t pixel_of(float v) {
  return static_cast<std::int32_t>(std::floor(v));
}

// The depth, from the edge it lies along, of the pixel that holds a stroke's centre line. Only
// strokes at least 1.5 pixels wide fill a pixel there whatever the rasteriser's rounding; a
// thinner one is sampled nowhere.
std::optional<std::int32_t> centre_line_depth(float pen_width) {
  if (pen_width < 1.5f) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(std::floor(pen_width / 2));
}

// Samples of a stroke along the left and right edges of `rect`, at mid-height.
void add_side_strokes(std::vector<Sample>& samples, const std::string& what, const RectF& rect,
                      float pen_width, Colour colour, int tolerance = 0) {
  const auto depth = centre_line_depth(pen_width);
  if (!depth) {
    return;
  }
  const std::int32_t y = pixel_of(rect.y + rect.h / 2);
  samples.push_back({what + " (left)", pixel_of(rect.x) + *depth, y, colour, tolerance});
  samples.push_back(
      {what + " (right)", pixel_of(rect.x + rect.w) - 1 - *depth, y, colour, tolerance});
}

// Nothing may be drawn outside the item rectangle.
void add_outside(std::vector<Sample>& samples, const DeviceRect& item) {
  const std::int32_t mx = (item.left + item.right) / 2;
  const std::int32_t my = (item.top + item.bottom) / 2;
  samples.push_back({"outside left", item.left - 1, my, kSentinel});
  samples.push_back({"outside right", item.right, my, kSentinel});
  samples.push_back({"outside top", mx, item.top - 1, kSentinel});
  samples.push_back({"outside bottom", mx, item.bottom, kSentinel});
}

// High contrast shows the focus by a dotted rectangle that inverts what lies under it: on its
// left side, at mid-height, one of two neighbouring pixels is the inverse of `under`.
void check_focus_rectangle(const Dib& dib, const std::optional<DeviceRect>& focus_rect,
                           const DeviceRect& item, Colour under, bool expected,
                           const std::string& label) {
  ASSERT_EQ(focus_rect.has_value(), expected) << label;
  const DeviceRect r = focus_rect.value_or(DeviceRect{item.left + 5, item.top, 0, item.bottom});
  const std::int32_t y = (r.top + r.bottom) / 2;
  const Colour inverse{under.rgb ^ 0xFFFFFF};
  const bool seen = dib.pixel(r.left, y) == inverse || dib.pixel(r.left, y + 1) == inverse;
  EXPECT_EQ(seen, expected) << label << ": focus rectangle at x " << r.left;
}

// True when some pixel inside `box` has exactly `colour`: the text was drawn in it.
bool shows_colour(const Dib& dib, const DeviceRect& box, Colour colour) {
  for (std::int32_t y = box.top; y < box.bottom; ++y) {
    for (std::int32_t x = box.left; x < box.right; ++x) {
      if (dib.pixel(x, y) == colour) {
        return true;
      }
    }
  }
  return false;
}

class ThemePixels : public ::testing::Test {
 protected:
  // Draws `control` at the wizard position `logical` through `draw`, hovered or not.
  template <class Draw>
  static void render(Dib& dib, HWND control, const DeviceRect& item, UINT item_state, bool hovered,
                     Draw&& draw) {
    if (hovered) {
      ControlBench::move_onto(control);
    }
    ASSERT_EQ(is_hovered(control), hovered);
    draw(testing::draw_item(control, dib.dc(), item, item_state));
    if (hovered) {
      ControlBench::leave(control);
    }
    ASSERT_EQ(hot_control(), nullptr);
  }

  // Places `logical` at a small offset inside a sentinel-filled bitmap, so the item rectangle
  // does not start at the origin and its surroundings can be checked.
  static DeviceRect placed(const LogicalRect& logical, float scale, bool rtl) {
    const DeviceRect r = scale_rect(logical, {WIZARD_WIDTH, scale, rtl});
    return {kMargin + 1, kMargin, kMargin + 1 + r.width(), kMargin + r.height()};
  }

  static void check(const Dib& dib, const std::vector<Sample>& samples, const std::string& label) {
    for (const Sample& s : samples) {
      const Colour seen = dib.pixel(s.x, s.y);
      EXPECT_TRUE(close_to(seen, s.colour, s.tolerance))
          << label << ": " << s.what << " at (" << s.x << ", " << s.y << ") is " << hex(seen)
          << ", expected " << hex(s.colour);
    }
  }

  ControlBench bench_;
};

struct ButtonCase {
  const char* name;
  UINT item_state;
  bool hovered;
};

constexpr ButtonCase kButtonStates[] = {
    {"rest", 0, false},
    {"hovered", 0, true},
    {"pressed", ODS_SELECTED, false},
    {"hovered and pressed", ODS_SELECTED, true},
    {"focused", ODS_FOCUS, false},
    {"focus rectangle hidden", ODS_FOCUS | ODS_NOFOCUSRECT, false},
    {"disabled", ODS_DISABLED, false},
    {"disabled and hovered", ODS_DISABLED, true},
};

TEST_F(ThemePixels, PushButtonsInEveryStateDirectionAndScale) {
  const struct {
    ButtonVariant variant;
    const char* name;
    LogicalRect rect;
    ui::TextPair text;
  } variants[] = {
      {ButtonVariant::primary, "primary", {534, 510, 150, 44}, ui::text::kNext},
      {ButtonVariant::secondary, "secondary", {412, 510, 112, 44}, ui::text::kBack},
      {ButtonVariant::ghost, "ghost", {36, 510, 112, 44}, ui::text::kCancel},
  };
  const HWND control = bench_.add(101, "");
  int rendered = 0;
  for (const auto& [palette_name, palette] : kPalettes) {
    for (const float scale : kScales) {
      const WizardFonts fonts = create_wizard_fonts(scale);
      for (const ui::Language language : kLanguages) {
        const bool rtl = ui::is_right_to_left(language);
        for (const auto& variant : variants) {
          for (const ButtonCase& state : kButtonStates) {
            const DeviceRect item = placed(variant.rect, scale, rtl);
            Dib dib(item.right + kMargin, item.bottom + kMargin, kSentinel);
            render(dib, control, item, state.item_state, state.hovered,
                   [&](const DRAWITEMSTRUCT& record) {
                     draw_push_button(record, ui::pick(variant.text, language), variant.variant,
                                      fonts[WizardFont::body_semibold], scale, rtl, palette);
                   });
            const ButtonState expected_state{.disabled = (state.item_state & ODS_DISABLED) != 0,
                                             .pressed = (state.item_state & ODS_SELECTED) != 0,
                                             .focused = state.item_state == ODS_FOCUS,
                                             .hovered = state.hovered};
            const ButtonLook look = push_button_look(variant.variant, expected_state, palette);
            const PushButtonLayout layout =
                push_button_layout(item, expected_state, scale, palette);
            const RectF body = to_rect_f(layout.body);
            const std::int32_t mid_x = (item.left + item.right) / 2;

            std::vector<Sample> samples;
            samples.push_back({"fill", mid_x, layout.body.top + scaled(6, scale), look.fill});
            if (layout.focus_ring) {
              add_side_strokes(samples, "focus ring", to_rect_f(item), layout.focus_ring->pen_width,
                               palette.accent);
            } else if (look.outline) {
              add_side_strokes(samples, "outline", body, layout.outline_width,
                               blend(look.outline->colour, look.outline->alpha, look.fill), 1);
            }
            if (expected_state.pressed && !expected_state.disabled && !layout.focus_ring) {
              samples.push_back(
                  {"above the pressed body", mid_x, layout.body.top - 1, palette.background});
            }
            add_outside(samples, item);
            const std::string label = std::string(palette_name) + ", " + variant.name + " " +
                                      state.name + ", " + (rtl ? "Arabic" : "English") +
                                      ", scale " + std::to_string(scale);
            check(dib, samples, label);
            check_focus_rectangle(dib, layout.focus_rect, item, look.fill,
                                  palette.high_contrast && expected_state.focused, label);
            EXPECT_TRUE(shows_colour(dib, item, look.text))
                << label << ": no text in " << hex(look.text);
            ++rendered;
          }
        }
      }
    }
  }
  EXPECT_EQ(rendered, 3 * 3 * 8 * 2 * 3);
}

struct ChoiceCase {
  const char* name;
  UINT item_state;
  bool hovered;
};

constexpr ChoiceCase kChoiceStates[] = {
    {"rest", 0, false},
    {"hovered", 0, true},
    {"focused", ODS_FOCUS, false},
    {"hovered and focused", ODS_FOCUS, true},
    {"pressed", ODS_SELECTED, false},
};

// The point midway between a mark and the text beside it, where only the frame's fill shows.
std::int32_t between(const RectF& mark, const DeviceRect& text) {
  const float mark_right = mark.x + mark.w;
  return mark_right <= static_cast<float>(text.left)
             ? pixel_of((mark_right + static_cast<float>(text.left)) / 2)
             : pixel_of((static_cast<float>(text.right) + mark.x) / 2);
}

// The pixel nearest the middle of a check-mark segment, whose centre lies closest to the line.
std::pair<std::int32_t, std::int32_t> on_segment(PointF a, PointF b) {
  const PointF m{(a.x + b.x) / 2, (a.y + b.y) / 2};
  const float length = std::hypot(b.x - a.x, b.y - a.y);
  const PointF normal{(b.y - a.y) / length, (a.x - b.x) / length};
  std::pair<std::int32_t, std::int32_t> best{pixel_of(m.x), pixel_of(m.y)};
  float best_distance = 1e9f;
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const float cx = std::floor(m.x) + dx + 0.5f;
      const float cy = std::floor(m.y) + dy + 0.5f;
      const float distance = std::abs((cx - a.x) * normal.x + (cy - a.y) * normal.y);
      if (distance < best_distance) {
        best_distance = distance;
        best = {pixel_of(cx), pixel_of(cy)};
      }
    }
  }
  return best;
}

TEST_F(ThemePixels, ChoiceControlsInEveryStateDirectionAndScale) {
  int rendered = 0;
  for (const auto& [palette_name, palette] : kPalettes) {
    for (const ui::Language language : kLanguages) {
      const bool rtl = ui::is_right_to_left(language);
      const struct {
        int id;
        const char* name;
        LogicalRect rect;
        std::string_view text;
        bool mark_on_right;  // where this wizard direction puts the mark (or the switch track)
      } controls[] = {
          {110, "English card", {36, 214, 316, 104}, ui::text::kEnglishCardTitle, !rtl},
          {111, "Arabic card", {368, 214, 316, 104}, ui::text::kArabicCardTitle, !rtl},
          {112, "agreement", {36, 424, 648, 50}, ui::pick(ui::text::kAgreement, language), rtl},
          {113, "switch", {36, 200, 648, 54}, ui::pick(ui::text::kSwitchStartup, language), !rtl},
      };
      for (const auto& control : controls) {
        const HWND window = bench_.add(control.id, control.text);
        const ChoiceKind kind = *ui::wizard::choice_kind_for_id(control.id);
        for (const float scale : kScales) {
          const WizardFonts fonts = create_wizard_fonts(scale);
          for (const bool on : {false, true}) {
            for (const ChoiceCase& state : kChoiceStates) {
              const DeviceRect item = placed(control.rect, scale, rtl);
              Dib dib(item.right + kMargin, item.bottom + kMargin, kSentinel);
              render(dib, window, item, state.item_state, state.hovered,
                     [&](const DRAWITEMSTRUCT& record) {
                       draw_choice_control(record,
                                           {.kind = kind,
                                            .on = on,
                                            .right_to_left = rtl,
                                            .subtitle = ui::wizard::choice_subtitle(control.id),
                                            .scale = scale},
                                           fonts, palette);
                     });
              const ChoiceState choice{.on = on,
                                       .hovered = state.hovered,
                                       .focused = (state.item_state & ODS_FOCUS) != 0};
              const ChoiceFrame frame = choice_frame(kind, item, choice, scale, palette);
              const float middle = static_cast<float>(item.left + item.right) / 2;
              const std::int32_t mid_y = (item.top + item.bottom) / 2;
              const std::string label = std::string(palette_name) + ", " + control.name +
                                        (on ? " on, " : " off, ") + state.name + ", " +
                                        (rtl ? "Arabic" : "English") + ", scale " +
                                        std::to_string(scale);
              std::vector<Sample> samples;
              add_side_strokes(samples, "frame outline", to_rect_f(item), frame.outline.pen_width,
                               frame.outline.outline.colour);
              add_outside(samples, item);
              DeviceRect text_box{};
              Colour text_colour = palette.text_primary;
              float mark_x = 0;

              if (kind == ChoiceKind::english_card || kind == ChoiceKind::arabic_card) {
                const auto card = language_card_layout(kind, item, on, scale, rtl, palette);
                samples.push_back({"fill", (item.left + item.right) / 2,
                                   item.top + scaled(92, scale), frame.fill});
                const PointF centre{card.radio.x + card.radio.w / 2,
                                    card.radio.y + card.radio.h / 2};
                samples.push_back({"radio centre", pixel_of(centre.x), pixel_of(centre.y),
                                   on ? palette.selected_mark : frame.fill});
                add_side_strokes(samples, "radio ring", card.radio, card.ring_width,
                                 on ? palette.selected_mark : palette.mark_off);
                mark_x = centre.x;
                text_box = card.subtitle.rect;
                text_colour = card.subtitle.colour;
              } else if (kind == ChoiceKind::agreement) {
                const auto row = agreement_layout(item, on, scale, rtl, palette);
                samples.push_back({"fill", between(row.box, row.text.rect), mid_y, frame.fill});
                if (on) {
                  samples.push_back({"ticked box", pixel_of(row.box.x + row.box.w / 2),
                                     pixel_of(row.box.y + 0.15f * row.box.h), palette.accent_fill});
                  const auto [x, y] = on_segment(row.mark->points[1], row.mark->points[2]);
                  samples.push_back({"check mark", x, y, palette.on_accent});
                } else {
                  add_side_strokes(samples, "empty box", row.box, row.outline_width,
                                   palette.mark_off);
                  samples.push_back({"inside the empty box", pixel_of(row.box.x + row.box.w / 2),
                                     pixel_of(row.box.y + row.box.h / 2), frame.fill});
                }
                mark_x = row.box.x + row.box.w / 2;
                text_box = row.text.rect;
              } else {
                const auto row = switch_layout(item, on, scale, rtl, palette);
                samples.push_back({"fill", between(row.track, row.text.rect), mid_y, frame.fill});
                const PointF knob = row.knob.centre();
                const float other_x = row.track.x + row.track.x + row.track.w - knob.x;
                samples.push_back({"knob", pixel_of(knob.x), pixel_of(knob.y),
                                   on ? palette.on_accent : palette.mark_off});
                samples.push_back({"track where the knob is not", pixel_of(other_x),
                                   pixel_of(knob.y),
                                   on ? palette.accent_fill : palette.hover_surface});
                if (const auto depth = centre_line_depth(row.outline_width)) {
                  // The track's outline along its straight top edge, over the track's fill.
                  samples.push_back(
                      {"track outline", pixel_of(row.track.x + row.track.w / 2),
                       pixel_of(row.track.y) + *depth,
                       blend(row.track_outline.colour, row.track_outline.alpha, row.track_fill),
                       1});
                }
                // On is the end side: right in English, left in Arabic.
                EXPECT_EQ(knob.x > row.track.x + row.track.w / 2, on != rtl) << label;
                mark_x = knob.x;
                text_box = row.text.rect;
              }
              EXPECT_EQ(mark_x > middle, control.mark_on_right)
                  << label << ": mark on the wrong side";
              check(dib, samples, label);
              check_focus_rectangle(dib, frame.focus_rect, item, frame.fill,
                                    palette.high_contrast && choice.focused, label);
              EXPECT_TRUE(shows_colour(dib, text_box, text_colour))
                  << label << ": no text in " << hex(text_colour);
              ++rendered;
            }
          }
        }
      }
    }
  }
  EXPECT_EQ(rendered, 3 * 2 * 4 * 3 * 2 * 5);
}

}  // namespace
}  // namespace borelu::theme

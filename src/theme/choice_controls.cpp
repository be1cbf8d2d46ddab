#include "theme/choice_controls.h"

#include <array>
#include <string_view>

#include "theme/canvas.h"
#include "theme/paint_buffer.h"
#include "theme/push_button.h"

namespace borelu::theme {

namespace {

void draw_frame(const Shapes& shapes, const ChoiceFrame& frame) {
  const RoundStroke& outline = frame.outline;
  fill_round_rect(shapes, outline.rect, outline.radius, frame.fill);
  stroke_round_rect(shapes, outline.rect, outline.radius, outline.outline.colour,
                    outline.outline.alpha, outline.pen_width);
}

void draw_text_box(HDC dc, std::wstring_view text, const TextBox& box, HFONT font,
                   TextFormat format) {
  draw_text(dc, text, box.rect, font, box.colour, Align::start, box.right_to_left, format);
}

void draw_language_card(HDC dc, const ChoiceFrame& frame, const LanguageCardLayout& card,
                        std::wstring_view title, std::string_view subtitle,
                        const WizardFonts& fonts) {
  {
    const Shapes shapes(dc);
    draw_frame(shapes, frame);
    stroke_round_rect(shapes, card.radio, card.radio.w / 2, card.ring.colour, card.ring.alpha,
                      card.ring_width);
    if (card.dot) {
      fill_circle(shapes, card.dot->x, card.dot->y, card.dot->diameter, card.dot->colour);
    }
  }
  draw_text_box(dc, title, card.title, fonts[WizardFont::card_title], TextFormat::single_line);
  draw_text(dc, subtitle, card.subtitle.rect, fonts[WizardFont::small], card.subtitle.colour,
            Align::start, card.subtitle.right_to_left, TextFormat::single_line);
}

void draw_agreement(HDC dc, const ChoiceFrame& frame, const AgreementLayout& row,
                    std::wstring_view text, const WizardFonts& fonts) {
  {
    const Shapes shapes(dc);
    draw_frame(shapes, frame);
    if (row.box_fill) {
      fill_round_rect(shapes, row.box, row.radius, *row.box_fill);
    }
    if (row.mark) {
      draw_round_capped_lines(shapes, row.mark->points, row.mark->colour, row.mark->width);
    }
    if (row.box_outline) {
      stroke_round_rect(shapes, row.box, row.radius, row.box_outline->colour,
                        row.box_outline->alpha, row.outline_width);
    }
  }
  draw_text_box(dc, text, row.text, fonts[WizardFont::body],
                TextFormat::single_line_centred_ellipsis);
}

void draw_switch(HDC dc, const ChoiceFrame& frame, const SwitchLayout& row, std::wstring_view text,
                 const WizardFonts& fonts) {
  {
    const Shapes shapes(dc);
    draw_frame(shapes, frame);
    fill_round_rect(shapes, row.track, row.radius, row.track_fill);
    stroke_round_rect(shapes, row.track, row.radius, row.track_outline.colour,
                      row.track_outline.alpha, row.outline_width);
    fill_circle(shapes, row.knob.x, row.knob.y, row.knob.diameter, row.knob.colour);
  }
  draw_text_box(dc, text, row.text, fonts[WizardFont::body],
                TextFormat::single_line_centred_ellipsis);
}

}  // namespace

void draw_choice_control(const DRAWITEMSTRUCT& item, const ChoiceDrawing& choice,
                         const WizardFonts& fonts, const Palette& palette) {
  std::array<wchar_t, 256> buffer{};
  const int length = GetWindowTextW(item.hwndItem, buffer.data(), static_cast<int>(buffer.size()));
  const std::wstring_view text(buffer.data(), length > 0 ? length : 0);
  const ButtonState button = button_state(item);
  const ChoiceState state{.on = choice.on, .hovered = button.hovered, .focused = button.focused};
  const bool rtl = choice.right_to_left;
  const float scale = choice.scale;

  paint_item(item, palette.background, [&](HDC dc, const DeviceRect& area) {
    const ChoiceFrame frame = choice_frame(choice.kind, area, state, scale, palette);
    switch (choice.kind) {
      case ChoiceKind::english_card:
      case ChoiceKind::arabic_card:
        draw_language_card(dc, frame,
                           language_card_layout(choice.kind, area, choice.on, scale, rtl, palette),
                           text, choice.subtitle, fonts);
        break;
      case ChoiceKind::agreement:
        draw_agreement(dc, frame, agreement_layout(area, choice.on, scale, rtl, palette), text,
                       fonts);
        break;
      case ChoiceKind::switch_row:
        draw_switch(dc, frame, switch_layout(area, choice.on, scale, rtl, palette), text, fonts);
        break;
    }
    if (frame.focus_rect) {
      draw_focus_rectangle(dc, *frame.focus_rect);
    }
  });
}

}  // namespace borelu::theme

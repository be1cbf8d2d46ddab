#include "theme/palette.h"

namespace borelu::theme {

Palette high_contrast_palette(const SystemColours& system) {
  return {
      .high_contrast = true,
      .background = system.window,
      .surface = system.window,
      .border = system.window_text,
      .accent = system.highlight,
      .text_primary = system.window_text,
      .text_secondary = system.window_text,
      .mark_off = system.window_text,
      .selected_surface = system.highlight,
      .selected_title = system.highlight_text,
      .selected_subtitle = system.highlight_text,
      .selected_mark = system.highlight_text,
      .hover_surface = system.window,
      .hover_border = system.hot_light,
      .accent_fill = system.highlight,
      .accent_fill_hover = system.hot_light,
      .on_accent = system.highlight_text,
      .button_face = system.button_face,
      .button_hover_face = system.button_face,
      .button_text = system.button_text,
      .button_border = system.button_text,
      .ghost_text = system.button_text,
      .disabled_text = system.grey_text,
      .disabled_face = system.button_face,
      .disabled_border = system.grey_text,
      .disabled_quiet_text = system.grey_text,
  };
}

Palette choose_palette(bool high_contrast_on, const SystemColours& system) {
  return high_contrast_on ? high_contrast_palette(system) : DARK_PALETTE;
}

}  // namespace borelu::theme

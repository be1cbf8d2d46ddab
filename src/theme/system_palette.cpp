#include "theme/system_palette.h"

#include <windows.h>

#include "theme/dark_frame.h"

namespace borelu::theme {

namespace {

Colour system_colour(int index) {
  const COLORREF c = GetSysColor(index);
  return Colour{static_cast<std::uint32_t>(GetRValue(c)) << 16 |
                static_cast<std::uint32_t>(GetGValue(c)) << 8 | GetBValue(c)};
}

bool high_contrast_on() {
  HIGHCONTRASTW settings{};
  settings.cbSize = sizeof settings;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof settings, &settings, 0) != FALSE &&
         (settings.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

Palette system_palette() {
  return choose_palette(high_contrast_on(), {.window = system_colour(COLOR_WINDOW),
                                             .window_text = system_colour(COLOR_WINDOWTEXT),
                                             .highlight = system_colour(COLOR_HIGHLIGHT),
                                             .highlight_text = system_colour(COLOR_HIGHLIGHTTEXT),
                                             .button_face = system_colour(COLOR_BTNFACE),
                                             .button_text = system_colour(COLOR_BTNTEXT),
                                             .grey_text = system_colour(COLOR_GRAYTEXT),
                                             .hot_light = system_colour(COLOR_HOTLIGHT)});
}

bool follow_system_palette(HWND window, Palette& palette) {
  const Palette now = system_palette();
  if (now == palette) {
    return false;
  }
  palette = now;
  apply_dark_frame(window, palette);
  return true;
}

}  // namespace borelu::theme

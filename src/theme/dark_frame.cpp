#include "theme/dark_frame.h"

#include <dwmapi.h>

namespace borelu::theme {

namespace {

// Newer than the attribute list of the headers we build with.
constexpr DWORD kUseImmersiveDarkMode = 20;
constexpr DWORD kWindowCornerPreference = 33;
constexpr DWORD kCaptionColor = 35;
constexpr DWORD kTextColor = 36;
constexpr DWORD kRoundCorners = 2;
constexpr DWORD kDefaultColour = 0xFFFFFFFF;  // DWMWA_COLOR_DEFAULT: the system decides

void set_attribute(HWND window, DWORD attribute, DWORD value) {
  DwmSetWindowAttribute(window, attribute, &value, sizeof value);
}

}  // namespace

void apply_dark_frame(HWND window, const Palette& palette) {
  const bool dark = !palette.high_contrast;
  set_attribute(window, kUseImmersiveDarkMode, dark ? 1 : 0);
  set_attribute(window, kCaptionColor, dark ? palette.background.colorref() : kDefaultColour);
  set_attribute(window, kTextColor, dark ? palette.text_primary.colorref() : kDefaultColour);
  set_attribute(window, kWindowCornerPreference, kRoundCorners);
}

}  // namespace borelu::theme

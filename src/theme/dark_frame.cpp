#include "theme/dark_frame.h"

#include <dwmapi.h>

#include "theme/palette.h"

namespace borelu::theme {

namespace {

// Newer than the attribute list of the headers we build with.
constexpr DWORD kUseImmersiveDarkMode = 20;
constexpr DWORD kWindowCornerPreference = 33;
constexpr DWORD kCaptionColor = 35;
constexpr DWORD kTextColor = 36;
constexpr DWORD kRoundCorners = 2;

void set_attribute(HWND window, DWORD attribute, DWORD value) {
  DwmSetWindowAttribute(window, attribute, &value, sizeof value);
}

}  // namespace

void apply_dark_frame(HWND window) {
  set_attribute(window, kUseImmersiveDarkMode, 1);
  set_attribute(window, kCaptionColor, palette::Background.colorref());
  set_attribute(window, kTextColor, palette::TextPrimary.colorref());
  set_attribute(window, kWindowCornerPreference, kRoundCorners);
}

}  // namespace borelu::theme

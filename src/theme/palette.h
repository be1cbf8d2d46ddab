#pragma once

#include <cstdint>

namespace borelu::theme {

// One colour of the dark theme as 0xRRGGBB. GDI takes it as a COLORREF (red in the low byte),
// GDI+ as ARGB with the alpha in the top byte.
struct Colour {
  std::uint32_t rgb = 0;

  [[nodiscard]] constexpr std::uint8_t red() const { return (rgb >> 16) & 0xFF; }
  [[nodiscard]] constexpr std::uint8_t green() const { return (rgb >> 8) & 0xFF; }
  [[nodiscard]] constexpr std::uint8_t blue() const { return rgb & 0xFF; }

  [[nodiscard]] constexpr std::uint32_t colorref() const {
    return std::uint32_t{blue()} << 16 | std::uint32_t{green()} << 8 | red();
  }
  [[nodiscard]] constexpr std::uint32_t argb(std::uint8_t alpha = 255) const {
    return std::uint32_t{alpha} << 24 | rgb;
  }

  friend constexpr bool operator==(Colour, Colour) = default;
};

namespace palette {

inline constexpr Colour Background{0x121212};
inline constexpr Colour Surface{0x1C1F1B};
inline constexpr Colour Border{0x3B483F};
inline constexpr Colour Accent{0xA9D7B2};
inline constexpr Colour TextPrimary{0xEDF3EE};
inline constexpr Colour TextSecondary{0xA9B6AD};
inline constexpr Colour SelectedSurface{0x22382A};
inline constexpr Colour HoverSurface{0x262B25};
inline constexpr Colour AccentFill{0x3F7F64};
inline constexpr Colour AccentFillHover{0x4B9273};
inline constexpr Colour White{0xFFFFFF};

}  // namespace palette

// A colour painted with some transparency: what a pen or brush of `colour` at `alpha` leaves on
// an opaque `under`, each channel rounded to the nearest value.
[[nodiscard]] constexpr Colour blend(Colour colour, std::uint8_t alpha, Colour under) {
  const auto mix = [alpha](std::uint32_t over, std::uint32_t below) {
    return (over * alpha + below * (255u - alpha) + 127u) / 255u;
  };
  return Colour{mix(colour.red(), under.red()) << 16 | mix(colour.green(), under.green()) << 8 |
                mix(colour.blue(), under.blue())};
}

// The colours Windows gives a high-contrast scheme (GetSysColor), as 0xRRGGBB.
struct SystemColours {
  Colour window;          // COLOR_WINDOW
  Colour window_text;     // COLOR_WINDOWTEXT
  Colour highlight;       // COLOR_HIGHLIGHT
  Colour highlight_text;  // COLOR_HIGHLIGHTTEXT
  Colour button_face;     // COLOR_BTNFACE
  Colour button_text;     // COLOR_BTNTEXT
  Colour grey_text;       // COLOR_GRAYTEXT
  Colour hot_light;       // COLOR_HOTLIGHT
};

// Every colour the windows draw with, by what it is used for. The dark look fills it with the
// theme's own colours; a high-contrast scheme fills it with the system's, so that what the user
// chose for windows, text, selection and links is what they get.
struct Palette {
  // In high contrast no state may rest on colour alone, and nothing is translucent: focus also
  // gets a focus rectangle, a disabled button an outline, the progress track an outline, and
  // every card on every page is outlined.
  bool high_contrast = false;

  Colour background;           // the window, the ghost button at rest
  Colour surface;              // cards and the terms text's background
  Colour border;               // card outlines, separators, steps not yet reached
  Colour accent;               // steps reached, focus rings, selected outlines, bullets, the bar
  Colour text_primary;         // main text
  Colour text_secondary;       // labels, paragraphs, notes
  Colour mark_off;             // an empty check box or radio ring, the knob of a switch that is off
  Colour selected_surface;     // the chosen language card
  Colour selected_title;       // its title
  Colour selected_subtitle;    // its subtitle
  Colour selected_mark;        // its radio ring and dot
  Colour hover_surface;        // a hovered choice, the progress track, a switch that is off
  Colour hover_border;         // the outline of a hovered control
  Colour accent_fill;          // the primary button, a switch that is on, a ticked box
  Colour accent_fill_hover;    // the primary button under the mouse
  Colour on_accent;            // text and marks on accent_fill
  Colour button_face;          // secondary buttons
  Colour button_hover_face;    // secondary buttons under the mouse, ghost buttons under the mouse
  Colour button_text;          // secondary button text
  Colour button_border;        // secondary button outline
  Colour ghost_text;           // the ghost button's text
  Colour disabled_text;        // a disabled primary button's text
  Colour disabled_face;        // a disabled primary button's fill
  Colour disabled_border;      // a disabled secondary button's outline
  Colour disabled_quiet_text;  // a disabled secondary button's text

  // The alpha of a translucent line or outline: as designed in the dark look, opaque in high
  // contrast.
  [[nodiscard]] constexpr std::uint8_t alpha(std::uint8_t dark) const {
    return high_contrast ? 255 : dark;
  }
  friend constexpr bool operator==(const Palette&, const Palette&) = default;
};

inline constexpr Palette DARK_PALETTE{
    .high_contrast = false,
    .background = palette::Background,
    .surface = palette::Surface,
    .border = palette::Border,
    .accent = palette::Accent,
    .text_primary = palette::TextPrimary,
    .text_secondary = palette::TextSecondary,
    .mark_off = palette::TextSecondary,
    .selected_surface = palette::SelectedSurface,
    .selected_title = palette::TextPrimary,
    .selected_subtitle = palette::TextSecondary,
    .selected_mark = palette::Accent,
    .hover_surface = palette::HoverSurface,
    .hover_border = palette::Border,
    .accent_fill = palette::AccentFill,
    .accent_fill_hover = palette::AccentFillHover,
    .on_accent = palette::White,
    .button_face = palette::Surface,
    .button_hover_face = palette::HoverSurface,
    .button_text = palette::TextPrimary,
    .button_border = palette::Border,
    .ghost_text = palette::TextSecondary,
    .disabled_text = palette::TextSecondary,
    .disabled_face = palette::HoverSurface,
    .disabled_border = palette::Border,
    .disabled_quiet_text = palette::Border,
};

// The palette for a high-contrast scheme: window and window text for the page, highlight and
// highlight text for what is chosen or on, button face and text for buttons, grey text for what
// is disabled, hot light for what is under the mouse.
[[nodiscard]] Palette high_contrast_palette(const SystemColours& system);

// What the windows draw with: the system's colours while high contrast is on, else the dark look.
[[nodiscard]] Palette choose_palette(bool high_contrast_on, const SystemColours& system);

}  // namespace borelu::theme

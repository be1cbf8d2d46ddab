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

}  // namespace borelu::theme

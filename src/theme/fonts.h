#pragma once

// The GDI fonts a window owns for one scale, by role, created together and deleted together.

#include <windows.h>

#include <array>
#include <cstddef>

#include "theme/typography.h"
#include "win/handles.h"

namespace borelu::theme {

template <class Role, std::size_t N>
class FontSet {
 public:
  FontSet() = default;
  FontSet(const std::array<FontSpec, N>& specs, float scale);

  [[nodiscard]] HFONT operator[](Role role) const {
    return fonts_[static_cast<std::size_t>(role)].get();
  }

 private:
  std::array<win::Font, N> fonts_;
};

[[nodiscard]] HFONT create_font(const FontSpec& spec, float scale);

template <class Role, std::size_t N>
FontSet<Role, N>::FontSet(const std::array<FontSpec, N>& specs, float scale) {
  for (std::size_t i = 0; i < N; ++i) {
    fonts_[i].reset(create_font(specs[i], scale));
  }
}

using WizardFonts = FontSet<WizardFont, WIZARD_FONTS.size()>;
using ProgressFonts = FontSet<ProgressFont, PROGRESS_FONTS.size()>;

[[nodiscard]] inline WizardFonts create_wizard_fonts(float scale) {
  return WizardFonts(WIZARD_FONTS, scale);
}
[[nodiscard]] inline ProgressFonts create_progress_fonts(float scale) {
  return ProgressFonts(PROGRESS_FONTS, scale);
}

}  // namespace borelu::theme

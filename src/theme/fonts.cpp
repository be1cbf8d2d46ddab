#include "theme/fonts.h"

namespace borelu::theme {

HFONT create_font(const FontSpec& spec, float scale) {
  return CreateFontW(font_height(spec.size, scale), 0, 0, 0, spec.weight, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH, FONT_FACE);
}

}  // namespace borelu::theme

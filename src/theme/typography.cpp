#include "theme/typography.h"

#include "theme/geometry.h"

namespace borelu::theme {

std::int32_t font_height(std::int32_t size, float scale) {
  return -scaled(static_cast<float>(size), scale);
}

AlignmentBits alignment_bits(Align align, bool right_to_left) {
  switch (align) {
    case Align::start:
      return {.right = right_to_left, .centre = false, .rtl_reading = right_to_left};
    case Align::centre:
      return {.right = false, .centre = true, .rtl_reading = right_to_left};
    case Align::end:
      return {.right = !right_to_left, .centre = false, .rtl_reading = right_to_left};
  }
  return {};
}

}  // namespace borelu::theme

#pragma once

// Fonts by role and the alignment rule of drawn text, decided without Windows.

#include <array>
#include <cstdint>

namespace borelu::theme {

// Every text is drawn in this one face, in both languages.
inline constexpr wchar_t FONT_FACE[] = L"Segoe UI";

struct FontSpec {
  std::int32_t size = 0;  // DIPs
  std::int32_t weight = 400;
};

// The wizard's six fonts, created together in this order.
enum class WizardFont { body, small, body_semibold, card_title, page_title, brand };
inline constexpr std::array<FontSpec, 6> WIZARD_FONTS{
    {{15, 400}, {13, 400}, {15, 600}, {20, 600}, {27, 600}, {19, 700}}};

// The progress window's three fonts.
enum class ProgressFont { title, body, button };
inline constexpr std::array<FontSpec, 3> PROGRESS_FONTS{{{18, 600}, {14, 400}, {15, 600}}};

// The height handed to CreateFontW: the size at the scale, rounded, negated (a character height
// rather than a cell height).
[[nodiscard]] std::int32_t font_height(std::int32_t size, float scale);

// Where a text sits in its rectangle, relative to its reading direction.
enum class Align { start, centre, end };

// What DrawTextW is told for an alignment: in right-to-left text "start" is the right edge and
// "end" the left one, and every right-to-left text is read right to left.
struct AlignmentBits {
  bool right = false;
  bool centre = false;
  bool rtl_reading = false;
  friend constexpr bool operator==(const AlignmentBits&, const AlignmentBits&) = default;
};

[[nodiscard]] AlignmentBits alignment_bits(Align align, bool right_to_left);

// The line layouts drawn text uses.
enum class TextFormat {
  single_line,
  single_line_centred,  // vertically centred
  single_line_ellipsis,
  single_line_centred_ellipsis,
  single_line_path_ellipsis,
  wrapped,
  wrapped_ellipsis,
};

}  // namespace borelu::theme

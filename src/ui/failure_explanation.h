#pragma once

#include <string>
#include <string_view>

#include "ui/language.h"

namespace borelu::ui {

enum class DialogIcon { information, error };

inline constexpr std::size_t TECHNICAL_DETAILS_MAX_CHARS = 2000;
inline constexpr int FALLBACK_CLASS = 14;

// The failure text lower-cased for keyword matching. Keywords are ASCII, and under full Unicode
// lower-casing only A-Z, U+0130 (to "i" and a combining dot) and U+212A (Kelvin sign, to "k")
// produce ASCII letters; every other character is kept as it is, which cannot create or break
// a match.
[[nodiscard]] std::string lower_for_keywords(std::string_view text);

// The explanation class (1 to 14) for a failure text: the first class, in order, with a keyword
// contained in the lower-cased text; 14 when none is.
[[nodiscard]] int classify_failure(std::string_view text);

struct Explanation {
  int number = FALLBACK_CLASS;
  DialogIcon icon = DialogIcon::error;
  std::string title;
  std::string body;
  std::string details;  // the failure text, cut to 2000 characters
};

[[nodiscard]] Explanation explain(std::string_view failure, Language language,
                                  std::string_view host, std::string_view support_email);

// The English title of a class, for support tools.
[[nodiscard]] std::string_view english_title(int number);
[[nodiscard]] DialogIcon icon_of(int number);

}  // namespace borelu::ui

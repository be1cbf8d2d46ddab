#pragma once

#include <string>
#include <string_view>

namespace borelu::ui {

// One user-visible text in both languages, UTF-8.
struct TextPair {
  std::string_view english;
  std::string_view arabic;
};

// True exactly for "ar"; every other code is English.
[[nodiscard]] constexpr bool is_arabic(std::string_view code) {
  return code == "ar";
}

[[nodiscard]] constexpr std::string_view pick(const TextPair& pair, bool arabic) {
  return arabic ? pair.arabic : pair.english;
}

// The process-wide right-to-left flag: set once, after the wizard closes with a result, from the
// chosen language. Runs without a wizard leave it false, so their dialogs are English.
void set_interface_language(std::string_view code);
[[nodiscard]] bool right_to_left();

}  // namespace borelu::ui

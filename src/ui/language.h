#pragma once

#include <string_view>

namespace borelu::ui {

// The language every user-visible text is shown in.
enum class Language { english, arabic };

// One user-visible text in both languages, UTF-8.
struct TextPair {
  std::string_view english;
  std::string_view arabic;
};

// True exactly for "ar"; every other code is English.
[[nodiscard]] constexpr bool is_arabic(std::string_view code) {
  return code == "ar";
}

[[nodiscard]] constexpr Language language_of(std::string_view code) {
  return is_arabic(code) ? Language::arabic : Language::english;
}

// Arabic is laid out and read right to left; English left to right.
[[nodiscard]] constexpr bool is_right_to_left(Language language) {
  return language == Language::arabic;
}

[[nodiscard]] constexpr std::string_view pick(const TextPair& pair, Language language) {
  return language == Language::arabic ? pair.arabic : pair.english;
}

// The process-wide interface language: set once, after the wizard closes with a result, from the
// chosen language code. Runs without a wizard leave it English, so their dialogs are English.
void set_interface_language(std::string_view code);
[[nodiscard]] Language interface_language();

}  // namespace borelu::ui

#include "ui/catalogue.h"

namespace borelu::ui {

std::string fill_placeholders(std::string_view text,
                              std::initializer_list<Placeholder> placeholders) {
  std::string filled(text);
  for (const Placeholder& placeholder : placeholders) {
    for (auto at = filled.find(placeholder.name); at != std::string::npos;
         at = filled.find(placeholder.name, at + placeholder.value.size())) {
      filled.replace(at, placeholder.name.size(), placeholder.value);
    }
  }
  return filled;
}

std::string step_counter(int page, Language language) {
  const bool arabic = language == Language::arabic;
  return (arabic ? "الخطوة " : "Step ") + std::to_string(page) + (arabic ? " من " : " of ") + "4";
}

std::string page1_bullet2(std::string_view host, Language language) {
  return (language == Language::arabic
              ? std::string("ينزّل المثبّت أحدث إصدار موثّق من ")
              : std::string("Setup downloads the latest verified release from ")) +
         std::string(host) + ".";
}

std::string initial_status(std::string_view host, Language language) {
  return (language == Language::arabic ? std::string("اتصال آمن بـ")
                                       : std::string("Connecting securely to ")) +
         std::string(host) + "…";
}

std::string download_status(std::string_view version, Language language) {
  return (language == Language::arabic ? std::string("جارٍ تنزيل Borelu ")
                                       : std::string("Downloading Borelu ")) +
         std::string(version);
}

std::string percentage(std::uint32_t percent) {
  return std::to_string(percent) + "%";
}

}  // namespace borelu::ui

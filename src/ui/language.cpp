#include "ui/language.h"

#include <atomic>

namespace borelu::ui {
namespace {

std::atomic<Language> g_language{Language::english};
std::atomic<bool> g_language_set{false};

}  // namespace

void set_interface_language(std::string_view code) {
  // Written once per process: later calls leave the first choice in place.
  if (!g_language_set.exchange(true)) {
    g_language.store(language_of(code));
  }
}

Language interface_language() {
  return g_language.load();
}

}  // namespace borelu::ui

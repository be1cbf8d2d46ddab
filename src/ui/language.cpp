#include "ui/language.h"

#include <atomic>

namespace borelu::ui {
namespace {

std::atomic<bool> g_right_to_left{false};
std::atomic<bool> g_language_set{false};

}  // namespace

void set_interface_language(std::string_view code) {
  // Written once per process: later calls leave the first choice in place.
  if (!g_language_set.exchange(true)) {
    g_right_to_left.store(is_arabic(code));
  }
}

bool right_to_left() {
  return g_right_to_left.load();
}

}  // namespace borelu::ui

#pragma once

#include <string_view>

namespace borelu::ui {

// Explains a failure in the interface language: plain words chosen by keywords, the failure text
// under "Technical details". Best effort: a dialog that cannot be shown is not reported.
void explain_failure(std::string_view failure);

// The dialog after a successful installation.
void show_success_dialog();

}  // namespace borelu::ui

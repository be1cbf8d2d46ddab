#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "controller/controller_message.h"
#include "ui/language.h"

namespace borelu::controller {

// The controller's progress line: percent and the English text.
using ProgressReporter = std::function<void(std::uint32_t percent, const std::string& text)>;

// The line the progress window shows for one of the controller's English progress lines: a
// download line keeps only "Downloading Borelu <version>" (the percentage travels as a number);
// in Arabic the download, verified and installing lines take their Arabic form; anything else is
// shown as it is.
[[nodiscard]] std::string shown_progress_text(std::string_view english, ui::Language language);

// The controller's one way to talk to the window while it runs.
void report_progress(const MessageSender& sender, std::uint32_t percent, std::string_view english,
                     ui::Language language);

}  // namespace borelu::controller

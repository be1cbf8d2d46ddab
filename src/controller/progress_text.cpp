#include "controller/progress_text.h"

#include "ui/catalogue.h"

namespace borelu::controller {
namespace {

constexpr std::string_view kDownloadPrefix = "Downloading Borelu ";
constexpr std::string_view kPercentSeparator = " — ";

}  // namespace

std::string shown_progress_text(std::string_view english, ui::Language language) {
  if (english.starts_with(kDownloadPrefix)) {
    std::string_view version = english.substr(kDownloadPrefix.size());
    version = version.substr(0, version.find(kPercentSeparator));
    return ui::download_status(version, language);
  }
  if (language == ui::Language::arabic) {
    if (english.starts_with("Verified.")) {
      return std::string(ui::text::kVerified.arabic);
    }
    if (english.starts_with("Installing Borelu")) {
      return std::string(ui::text::kInstalling.arabic);
    }
  }
  return std::string(english);
}

void report_progress(const MessageSender& sender, std::uint32_t percent, std::string_view english,
                     ui::Language language) {
  sender.send(Progress{shown_progress_text(english, language), percent});
}

}  // namespace borelu::controller

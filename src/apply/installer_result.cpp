#include "apply/installer_result.h"

#include "core/utf.h"

namespace borelu::apply {

std::string installer_error_details(std::string_view standard_error) {
  const std::u16string decoded = utf8_to_utf16(standard_error.substr(0, INSTALLER_ERROR_BYTES));
  std::string details;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < decoded.size() && characters < INSTALLER_ERROR_CHARS;
       ++i, ++characters) {
    char32_t scalar = decoded[i];
    if (scalar >= 0xD800 && scalar <= 0xDBFF && i + 1 < decoded.size()) {
      scalar = 0x10000 + ((scalar - 0xD800) << 10) + (decoded[i + 1] - 0xDC00);
      ++i;
    }
    if (scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F)) {
      scalar = U' ';
    }
    append_utf8(details, scalar);
  }
  const auto first = details.find_first_not_of(' ');
  if (first == std::string::npos) {
    return "No additional Windows error was reported.";
  }
  details.erase(0, first);
  details.erase(details.find_last_not_of(' ') + 1);
  return details;
}

std::string installer_failure_message(std::int32_t exit_code, std::string_view standard_error) {
  return "Borelu service installation failed (exit " + std::to_string(exit_code) + "). " +
         installer_error_details(standard_error) + " The previous version will be restored.";
}

std::string previous_service_failure_message(std::int32_t exit_code,
                                             std::string_view standard_error) {
  return "The previous Borelu service could not be installed again (exit " +
         std::to_string(exit_code) + "). " + installer_error_details(standard_error);
}

}  // namespace borelu::apply

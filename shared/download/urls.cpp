#include "download/urls.h"

#include <algorithm>

namespace borelu::download {

std::optional<std::string> approved_object_path(std::string_view url, std::string_view host) {
  const std::string prefix = "https://" + std::string(host) + "/";
  if (!url.starts_with(prefix)) {
    return std::nullopt;
  }
  return std::string(url.substr(prefix.size() - 1));
}

bool is_stage_name(std::string_view name) {
  if (!name.starts_with(STAGE_PREFIX)) {
    return false;
  }
  const std::string_view digits = name.substr(STAGE_PREFIX.size());
  return digits.size() == 32 && std::ranges::all_of(digits, [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
         });
}

std::string downloading_line(std::string_view version, std::uint32_t percent) {
  return "Downloading Borelu " + std::string(version) + " \xE2\x80\x94 " + std::to_string(percent) +
         "%";
}

std::uint32_t percent_of(std::uint64_t done, std::uint64_t total) {
  return total == 0 ? 0 : static_cast<std::uint32_t>(done * 100 / total);
}

}  // namespace borelu::download

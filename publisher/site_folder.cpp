#include "site_folder.h"

#include "core/hex.h"
#include "crypto/ed25519.h"

namespace borelu::release_tool::site_folder_detail {

Result<std::vector<std::string>> split_site_path(std::string_view relative) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const auto end = relative.find('/', start);
    const auto part = relative.substr(start, end == std::string_view::npos ? end : end - start);
    if (part.empty() || part == "." || part == ".." || part.find('\\') != std::string_view::npos) {
      return fail("Invalid site path " + std::string(relative) + ".");
    }
    parts.emplace_back(part);
    if (end == std::string_view::npos) {
      return parts;
    }
    start = end + 1;
  }
}

std::string shown_prefix(const std::vector<std::string>& parts, std::size_t count) {
  std::string shown;
  for (std::size_t i = 0; i < count; ++i) {
    shown += (i == 0 ? "" : "/") + parts[i];
  }
  return shown;
}

Failure not_a_plain_folder(const std::string& shown) {
  return Failure(shown + " in the site is a link or not a plain folder.");
}

Failure not_a_plain_file(const std::string& shown) {
  return Failure(shown + " in the site is a link or not a plain file.");
}

std::string temporary_name(std::string_view name) {
  // The seed generator is the strongest random source at hand; eight of its bytes name the file.
  const auto random = crypto::ed25519_new_seed();
  return std::string(name) + "." + to_lower_hex(std::span<const unsigned char>(random.data(), 8)) +
         ".publishing";
}

}  // namespace borelu::release_tool::site_folder_detail

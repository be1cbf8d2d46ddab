#pragma once

#include <string>
#include <string_view>

#include "build_config.h"

namespace borelu::manifest {

// The one host the program ever contacts, fixed at build time.
inline constexpr std::string_view UPDATE_HOST = build::UPDATE_HOST;

inline constexpr std::string_view METADATA_PATH = "/updates/latest.json";

// "https://" + host + "/releases/" + version + "/" + name.
[[nodiscard]] inline std::string approved_release_url(std::string_view host,
                                                      std::string_view version,
                                                      std::string_view name) {
  std::string url = "https://";
  url += host;
  url += "/releases/";
  url += version;
  url += '/';
  url += name;
  return url;
}

}  // namespace borelu::manifest

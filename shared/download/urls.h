#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace borelu::download {

inline constexpr std::string_view USER_AGENT = "Borelu/1 WebInstaller";
inline constexpr std::string_view EXTRA_HEADERS = "Cache-Control: no-cache\r\n";
inline constexpr std::uint16_t HTTPS_PORT = 443;
inline constexpr std::string_view UPDATES_SUBDIR = "BoreluTauri/updates";
inline constexpr std::string_view STAGE_PREFIX = "BoreluUpdate-";
inline constexpr std::string_view PART_SUFFIX = ".part";

// The object path of an artifact URL on the update host: the URL must begin with "https://",
// the host and "/", compared byte for byte; the path is the rest from that "/".
[[nodiscard]] std::optional<std::string> approved_object_path(std::string_view url,
                                                              std::string_view host);

// "BoreluUpdate-" and exactly 32 hex digits (either case).
[[nodiscard]] bool is_stage_name(std::string_view name);

// The progress line of a release download.
[[nodiscard]] std::string downloading_line(std::string_view version, std::uint32_t percent);

// Downloaded × 100 / total, rounded down (0 for an empty total).
[[nodiscard]] std::uint32_t percent_of(std::uint64_t done, std::uint64_t total);

}  // namespace borelu::download

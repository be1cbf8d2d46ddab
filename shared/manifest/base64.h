#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace borelu::manifest {

// Standard Base64 (RFC 4648 alphabet with "+" and "/"), read strictly: length a multiple of
// four, "=" padding only where the data ends and required there, no white space, and the spare
// low bits of the last symbol zero, so every byte sequence has exactly one accepted spelling.
[[nodiscard]] std::optional<std::vector<unsigned char>> decode_base64(std::string_view text);

[[nodiscard]] std::string encode_base64(std::span<const unsigned char> bytes);

}  // namespace borelu::manifest

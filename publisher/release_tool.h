#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "crypto/ed25519.h"

namespace borelu::release_tool {

struct SignRequest {
  std::filesystem::path folder;  // holds the three approved executables
  std::string version;
  std::string publishedAt;
  std::uint32_t minBootstrapper = 1;
  std::string host;
};

// Reads a whole file.
[[nodiscard]] Result<std::string> read_file(const std::filesystem::path& path);

// The seed file: 64 lower-case hex digits, optionally followed by one line feed.
[[nodiscard]] Result<crypto::Ed25519Seed> read_seed(const std::filesystem::path& path);

// The signed metadata document for the files in `request.folder`: sizes, SHA-256 and approved
// URLs computed, the canonical payload signed. Refuses (with the verifier's own message) to
// produce a document that verification against the seed's public key and `request.host` would
// refuse.
[[nodiscard]] Result<std::string> sign_release(const SignRequest& request,
                                               const crypto::Ed25519Seed& seed);

}  // namespace borelu::release_tool

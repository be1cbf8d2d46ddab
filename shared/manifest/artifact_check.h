#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/failure.h"
#include "crypto/sha256.h"
#include "manifest/release.h"

namespace borelu::manifest {

// Bytes fed in pieces against an expected size and SHA-256 (64 lower-case hex digits).
class ContentCheck {
 public:
  ContentCheck(std::uint64_t bytes, std::string_view sha256) : bytes_(bytes), sha256_(sha256) {}

  // False as soon as more bytes than expected have been fed; the piece is then not hashed.
  [[nodiscard]] bool feed(std::span<const unsigned char> piece);
  // At the end: whether exactly the expected size and digest were fed.
  [[nodiscard]] bool matches();

 private:
  std::uint64_t bytes_;
  std::string_view sha256_;
  std::uint64_t total_ = 0;
  crypto::Sha256 digest_;
};

// Checks a file's bytes, fed in pieces, against its signed size and SHA-256: more bytes than
// signed fail at once, and at the end the size and digest must match exactly.
class ArtifactCheck {
 public:
  explicit ArtifactCheck(const Artifact& artifact)
      : artifact_(artifact), content_(artifact.bytes, artifact.sha256) {}

  [[nodiscard]] Status feed(std::span<const unsigned char> piece);
  [[nodiscard]] Status finish();

 private:
  const Artifact& artifact_;
  ContentCheck content_;
};

}  // namespace borelu::manifest

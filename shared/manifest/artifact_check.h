#pragma once

#include <cstdint>
#include <span>

#include "core/failure.h"
#include "crypto/sha256.h"
#include "manifest/release.h"

namespace borelu::manifest {

// Checks a file's bytes, fed in pieces, against its signed size and SHA-256: more bytes than
// signed fail at once, and at the end the size and digest must match exactly.
class ArtifactCheck {
 public:
  explicit ArtifactCheck(const Artifact& artifact) : artifact_(artifact) {}

  [[nodiscard]] Status feed(std::span<const unsigned char> piece);
  [[nodiscard]] Status finish();

 private:
  const Artifact& artifact_;
  std::uint64_t total_ = 0;
  crypto::Sha256 digest_;
};

}  // namespace borelu::manifest

#include "manifest/artifact_check.h"

#include "core/hex.h"

namespace borelu::manifest {

Status ArtifactCheck::feed(std::span<const unsigned char> piece) {
  total_ += piece.size();
  if (total_ > artifact_.bytes) {
    return fail("Downloaded file exceeds its signed size.");
  }
  digest_.update(piece);
  return {};
}

Status ArtifactCheck::finish() {
  if (total_ != artifact_.bytes || to_lower_hex(digest_.finish()) != artifact_.sha256) {
    return fail(artifact_.name + " failed SHA-256/size verification.");
  }
  return {};
}

}  // namespace borelu::manifest

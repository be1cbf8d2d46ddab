#include "manifest/artifact_check.h"

#include "core/hex.h"

namespace borelu::manifest {

bool ContentCheck::feed(std::span<const unsigned char> piece) {
  total_ += piece.size();
  if (total_ > bytes_) {
    return false;
  }
  digest_.update(piece);
  return true;
}

bool ContentCheck::matches() {
  return total_ == bytes_ && to_lower_hex(digest_.finish()) == sha256_;
}

Status ArtifactCheck::feed(std::span<const unsigned char> piece) {
  if (!content_.feed(piece)) {
    return fail("Downloaded file exceeds its signed size.");
  }
  return {};
}

Status ArtifactCheck::finish() {
  if (!content_.matches()) {
    return fail(artifact_.name + " failed SHA-256/size verification.");
  }
  return {};
}

}  // namespace borelu::manifest

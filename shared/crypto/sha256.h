#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "crypto/sha256_blocks.h"

namespace borelu::crypto {

using Sha256Digest = std::array<unsigned char, 32>;

// Incremental SHA-256, for files read in pieces of any length.
class Sha256 {
 public:
  // With the quickest compression this processor runs.
  Sha256();
  // With the given compression (the tests run each one).
  explicit Sha256(Sha256Blocks compress);
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void update(std::span<const unsigned char> bytes);
  [[nodiscard]] Sha256Digest finish();

 private:
  Sha256Blocks compress_;
  Sha256Words words_;
  // The start of a block that is not yet whole.
  std::array<unsigned char, 64> pending_{};
  std::size_t pending_size_ = 0;
  std::uint64_t length_ = 0;
};

[[nodiscard]] Sha256Digest sha256(std::span<const unsigned char> bytes);

// The digest as 64 lower-case hex digits, the one form in which digests are written and compared.
[[nodiscard]] std::string sha256_hex(std::span<const unsigned char> bytes);

}  // namespace borelu::crypto

#pragma once

#include <array>
#include <span>
#include <string>

namespace borelu::crypto {

using Sha256Digest = std::array<unsigned char, 32>;

// Incremental SHA-256, for files read in pieces.
class Sha256 {
 public:
  // Room for libsodium's hashing state, which the source file checks fits.
  struct alignas(8) State {
    std::array<unsigned char, 104> bytes;
  };

  Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void update(std::span<const unsigned char> bytes);
  [[nodiscard]] Sha256Digest finish();

 private:
  State state_;
};

[[nodiscard]] Sha256Digest sha256(std::span<const unsigned char> bytes);

// The digest as 64 lower-case hex digits, the one form in which digests are written and compared.
[[nodiscard]] std::string sha256_hex(std::span<const unsigned char> bytes);

}  // namespace borelu::crypto

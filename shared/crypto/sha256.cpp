#include "crypto/sha256.h"

#include <algorithm>

#include "core/hex.h"

namespace borelu::crypto {
namespace {

constexpr std::size_t kBlock = 64;
constexpr Sha256Words kInitialWords = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

void store_big_endian(std::uint64_t value, unsigned char* bytes, std::size_t size) {
  for (std::size_t i = size; i != 0; --i, value >>= 8) {
    bytes[i - 1] = static_cast<unsigned char>(value);
  }
}

}  // namespace

Sha256::Sha256() : Sha256(sha256_blocks()) {}

Sha256::Sha256(Sha256Blocks compress) : compress_(compress), words_(kInitialWords) {}

void Sha256::update(std::span<const unsigned char> bytes) {
  length_ += bytes.size();
  if (pending_size_ != 0) {
    const std::size_t taken = std::min(bytes.size(), kBlock - pending_size_);
    std::copy_n(bytes.begin(), taken, pending_.begin() + pending_size_);
    pending_size_ += taken;
    bytes = bytes.subspan(taken);
    if (pending_size_ < kBlock) {
      return;
    }
    compress_(words_, pending_.data(), 1);
    pending_size_ = 0;
  }
  const std::size_t whole = bytes.size() / kBlock;
  if (whole != 0) {
    compress_(words_, bytes.data(), whole);
  }
  const auto rest = bytes.subspan(whole * kBlock);
  std::copy(rest.begin(), rest.end(), pending_.begin());
  pending_size_ = rest.size();
}

Sha256Digest Sha256::finish() {
  // The message, a one bit, zeros, and its length in bits in the last 8 bytes of a block.
  const std::uint64_t bits = length_ * 8;
  pending_[pending_size_] = 0x80;
  std::fill(pending_.begin() + pending_size_ + 1, pending_.end(), 0);
  if (pending_size_ + 1 > kBlock - 8) {
    compress_(words_, pending_.data(), 1);
    pending_.fill(0);
  }
  store_big_endian(bits, pending_.data() + kBlock - 8, 8);
  compress_(words_, pending_.data(), 1);
  pending_size_ = 0;

  Sha256Digest digest{};
  for (std::size_t i = 0; i < words_.size(); ++i) {
    store_big_endian(words_[i], digest.data() + 4 * i, 4);
  }
  return digest;
}

Sha256Digest sha256(std::span<const unsigned char> bytes) {
  Sha256 digest;
  digest.update(bytes);
  return digest.finish();
}

std::string sha256_hex(std::span<const unsigned char> bytes) {
  return to_lower_hex(sha256(bytes));
}

}  // namespace borelu::crypto

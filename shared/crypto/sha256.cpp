#include "crypto/sha256.h"

#include <sodium.h>

#include <new>

#include "core/hex.h"
#include "crypto/sodium_init.h"

namespace borelu::crypto {
namespace {

static_assert(sizeof(crypto_hash_sha256_state) <= sizeof(Sha256::State) &&
              alignof(crypto_hash_sha256_state) <= alignof(Sha256::State));

crypto_hash_sha256_state* context(Sha256::State& state) {
  return std::launder(reinterpret_cast<crypto_hash_sha256_state*>(state.bytes.data()));
}

}  // namespace

Sha256::Sha256() {
  ensure_sodium();
  crypto_hash_sha256_init(new (state_.bytes.data()) crypto_hash_sha256_state);
}

void Sha256::update(std::span<const unsigned char> bytes) {
  crypto_hash_sha256_update(context(state_), bytes.data(), bytes.size());
}

Sha256Digest Sha256::finish() {
  Sha256Digest digest{};
  crypto_hash_sha256_final(context(state_), digest.data());
  return digest;
}

Sha256Digest sha256(std::span<const unsigned char> bytes) {
  ensure_sodium();
  Sha256Digest digest{};
  crypto_hash_sha256(digest.data(), bytes.data(), bytes.size());
  return digest;
}

std::string sha256_hex(std::span<const unsigned char> bytes) {
  return to_lower_hex(sha256(bytes));
}

}  // namespace borelu::crypto

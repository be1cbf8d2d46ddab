#include "crypto/ed25519.h"

#include <sodium.h>

#include "crypto/sodium_init.h"

namespace borelu::crypto {
namespace {

static_assert(crypto_sign_PUBLICKEYBYTES == 32 && crypto_sign_BYTES == 64 &&
              crypto_sign_SEEDBYTES == 32);

// libsodium's secret key (the seed followed by the public key), wiped when it goes.
class SecretKey {
 public:
  SecretKey(const Ed25519Seed& seed, Ed25519PublicKey& public_key)
      : ok_(crypto_sign_seed_keypair(public_key.data(), bytes_.data(), seed.data()) == 0) {}
  SecretKey(const SecretKey&) = delete;
  SecretKey& operator=(const SecretKey&) = delete;
  ~SecretKey() { sodium_memzero(bytes_.data(), bytes_.size()); }
  [[nodiscard]] bool ok() const { return ok_; }
  [[nodiscard]] const unsigned char* data() const { return bytes_.data(); }

 private:
  std::array<unsigned char, crypto_sign_SECRETKEYBYTES> bytes_{};
  bool ok_;
};

}  // namespace

bool ed25519_verify(std::span<const unsigned char> public_key,
                    std::span<const unsigned char> message,
                    std::span<const unsigned char> signature) {
  if (public_key.size() != crypto_sign_PUBLICKEYBYTES || signature.size() != crypto_sign_BYTES) {
    return false;
  }
  ensure_sodium();
  return crypto_sign_verify_detached(signature.data(), message.data(), message.size(),
                                     public_key.data()) == 0;
}

std::optional<Ed25519PublicKey> ed25519_public_key(const Ed25519Seed& seed) {
  ensure_sodium();
  Ed25519PublicKey public_key{};
  if (!SecretKey(seed, public_key).ok()) {
    return std::nullopt;
  }
  return public_key;
}

std::optional<Ed25519Signature> ed25519_sign(const Ed25519Seed& seed,
                                             std::span<const unsigned char> message) {
  ensure_sodium();
  Ed25519PublicKey public_key{};
  const SecretKey secret(seed, public_key);
  Ed25519Signature signature{};
  if (!secret.ok() || crypto_sign_detached(signature.data(), nullptr, message.data(),
                                           message.size(), secret.data()) != 0) {
    return std::nullopt;
  }
  return signature;
}

Ed25519Seed ed25519_new_seed() {
  ensure_sodium();
  Ed25519Seed seed{};
  randombytes_buf(seed.data(), seed.size());
  return seed;
}

}  // namespace borelu::crypto

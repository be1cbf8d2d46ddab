#pragma once

#include <array>
#include <optional>
#include <span>

namespace borelu::crypto {

using Ed25519PublicKey = std::array<unsigned char, 32>;
using Ed25519Seed = std::array<unsigned char, 32>;
using Ed25519Signature = std::array<unsigned char, 64>;

// Pure Ed25519 verification as RFC 8032 defines it (no pre-hash, no context), by libsodium's
// crypto_sign_verify_detached. The rules, all in this one place:
// - a public key that is not 32 bytes, or a signature that is not 64 bytes, does not verify;
// - RFC 8032's own: the key's y coordinate must be encoded below p = 2^255 - 19, the key must be
//   a point of the curve, S must be below the group order L, and [S]B = R + [k]A, compared as
//   encodings (so R must be the canonical encoding of that point);
// - stricter than RFC 8032: a key of small order (order 1, 2, 4 or 8, whatever its sign bit)
//   does not verify, as it proves nothing: anyone can make a signature that holds for it; nor
//   does a signature whose R is of small order, which no signer following RFC 8032 produces.
[[nodiscard]] bool ed25519_verify(std::span<const unsigned char> public_key,
                                  std::span<const unsigned char> message,
                                  std::span<const unsigned char> signature);

// For the publisher's tool: the public key of a 32-byte secret seed, and signing.
[[nodiscard]] std::optional<Ed25519PublicKey> ed25519_public_key(const Ed25519Seed& seed);
[[nodiscard]] std::optional<Ed25519Signature> ed25519_sign(const Ed25519Seed& seed,
                                                           std::span<const unsigned char> message);
// A new seed from the library's strong random generator.
[[nodiscard]] Ed25519Seed ed25519_new_seed();

}  // namespace borelu::crypto

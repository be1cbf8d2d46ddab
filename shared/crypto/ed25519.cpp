#include "crypto/ed25519.h"

#include <gcrypt.h>

#include <cstring>

#include "crypto/gcrypt_init.h"

namespace borelu::crypto {
namespace {

using Bytes32 = std::array<unsigned char, 32>;

// The group order L in little-endian bytes.
constexpr Bytes32 kGroupOrder{0xed, 0xd3, 0xf5, 0x5c, 0x1a, 0x63, 0x12, 0x58, 0xd6, 0x9c, 0xf7,
                              0xa2, 0xde, 0xf9, 0xde, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                              0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10};

// Little-endian 255-bit numbers: the field prime p = 2^255 - 19, and the y coordinates of the
// points of small order (orders 1, 2, 4 and 8; the sign bit tells x and -x apart).
constexpr Bytes32 kFieldPrime{0xed, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                              0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                              0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7f};
constexpr Bytes32 kSmallOrderY[] = {
    {0x00},
    {0x01},
    {0xec, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
     0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
     0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7f},
    {0x26, 0xe8, 0x95, 0x8f, 0xc2, 0xb2, 0x27, 0xb0, 0x45, 0xc3, 0xf4,
     0x89, 0xf2, 0xef, 0x98, 0xf0, 0xd5, 0xdf, 0xac, 0x05, 0xd3, 0xc6,
     0x33, 0x39, 0xb1, 0x38, 0x02, 0x88, 0x6d, 0x53, 0xfc, 0x05},
    {0xc7, 0x17, 0x6a, 0x70, 0x3d, 0x4d, 0xd8, 0x4f, 0xba, 0x3c, 0x0b,
     0x76, 0x0d, 0x10, 0x67, 0x0f, 0x2a, 0x20, 0x53, 0xfa, 0x2c, 0x39,
     0xcc, 0xc6, 0x4e, 0xc7, 0xfd, 0x77, 0x92, 0xac, 0x03, 0x7a},
};

bool less_than(std::span<const unsigned char, 32> a, const Bytes32& b) {
  for (std::size_t i = 32; i-- > 0;) {
    if (a[i] != b[i]) {
      return a[i] < b[i];
    }
  }
  return false;
}

// A key must be a canonical encoding (y below p, as RFC 8032 decoding demands) of a point that
// is not of small order: such a key proves nothing, and libgcrypt 1.10 aborts the whole process
// on some of them instead of reporting a failure.
bool public_key_is_acceptable(std::span<const unsigned char, 32> key) {
  Bytes32 y{};
  std::copy(key.begin(), key.end(), y.begin());
  y[31] &= 0x7f;
  if (!less_than(y, kFieldPrime)) {
    return false;
  }
  for (const Bytes32& small : kSmallOrderY) {
    if (y == small) {
      return false;
    }
  }
  return true;
}

// Owner of one S-expression.
class Sexp {
 public:
  Sexp() = default;
  Sexp(const Sexp&) = delete;
  Sexp& operator=(const Sexp&) = delete;
  ~Sexp() { gcry_sexp_release(value_); }
  gcry_sexp_t* put() { return &value_; }
  [[nodiscard]] gcry_sexp_t get() const { return value_; }

 private:
  gcry_sexp_t value_ = nullptr;
};

bool build_data(Sexp& data, std::span<const unsigned char> message) {
  return gcry_sexp_build(data.put(), nullptr, "(data (flags eddsa) (hash-algo sha512) (value %b))",
                         static_cast<int>(message.size()), message.data()) == 0;
}

bool build_private_key(Sexp& key, const Ed25519Seed& seed) {
  return gcry_sexp_build(key.put(), nullptr,
                         "(private-key (ecc (curve Ed25519) (flags eddsa) (d %b)))",
                         static_cast<int>(seed.size()), seed.data()) == 0;
}

// Copies the 32-byte value of token `name` in `sexp`; libgcrypt may prefix a point with 0x40.
bool extract(gcry_sexp_t sexp, const char* name, unsigned char* out) {
  gcry_sexp_t token = gcry_sexp_find_token(sexp, name, 0);
  if (token == nullptr) {
    return false;
  }
  std::size_t length = 0;
  const char* data = gcry_sexp_nth_data(token, 1, &length);
  bool ok = false;
  if (data != nullptr && length == 32) {
    std::memcpy(out, data, 32);
    ok = true;
  } else if (data != nullptr && length == 33 && static_cast<unsigned char>(data[0]) == 0x40) {
    std::memcpy(out, data + 1, 32);
    ok = true;
  }
  gcry_sexp_release(token);
  return ok;
}

}  // namespace

bool ed25519_scalar_is_reduced(std::span<const unsigned char, 32> scalar) {
  return less_than(scalar, kGroupOrder);
}

bool ed25519_verify(std::span<const unsigned char> public_key,
                    std::span<const unsigned char> message,
                    std::span<const unsigned char> signature) {
  if (public_key.size() != 32 || signature.size() != 64 ||
      !public_key_is_acceptable(public_key.first<32>()) ||
      !ed25519_scalar_is_reduced(signature.subspan<32, 32>())) {
    return false;
  }
  ensure_gcrypt();
  Sexp key, sig, data;
  if (gcry_sexp_build(key.put(), nullptr, "(public-key (ecc (curve Ed25519) (flags eddsa) (q %b)))",
                      32, public_key.data()) != 0 ||
      gcry_sexp_build(sig.put(), nullptr, "(sig-val (eddsa (r %b) (s %b)))", 32, signature.data(),
                      32, signature.data() + 32) != 0 ||
      !build_data(data, message)) {
    return false;
  }
  return gcry_pk_verify(sig.get(), data.get(), key.get()) == 0;
}

std::optional<Ed25519PublicKey> ed25519_public_key(const Ed25519Seed& seed) {
  ensure_gcrypt();
  // An EC context made from the secret alone lets libgcrypt derive the public point q.
  Sexp key;
  if (!build_private_key(key, seed)) {
    return std::nullopt;
  }
  gcry_ctx_t context = nullptr;
  if (gcry_mpi_ec_new(&context, key.get(), nullptr) != 0) {
    return std::nullopt;
  }
  Ed25519PublicKey public_key{};
  gcry_mpi_t q = gcry_mpi_ec_get_mpi("q@eddsa", context, 1);
  bool ok = false;
  if (q != nullptr) {
    unsigned int bits = 0;
    const auto* bytes = static_cast<const unsigned char*>(gcry_mpi_get_opaque(q, &bits));
    if (bytes != nullptr && bits == 256) {
      std::memcpy(public_key.data(), bytes, 32);
      ok = true;
    } else if (bytes != nullptr && bits == 264 && bytes[0] == 0x40) {
      std::memcpy(public_key.data(), bytes + 1, 32);
      ok = true;
    }
    gcry_mpi_release(q);
  }
  gcry_ctx_release(context);
  if (!ok) {
    return std::nullopt;
  }
  return public_key;
}

std::optional<Ed25519Signature> ed25519_sign(const Ed25519Seed& seed,
                                             std::span<const unsigned char> message) {
  ensure_gcrypt();
  Sexp key, data, result;
  if (!build_private_key(key, seed) || !build_data(data, message) ||
      gcry_pk_sign(result.put(), data.get(), key.get()) != 0) {
    return std::nullopt;
  }
  Ed25519Signature signature{};
  if (!extract(result.get(), "r", signature.data()) ||
      !extract(result.get(), "s", signature.data() + 32)) {
    return std::nullopt;
  }
  return signature;
}

Ed25519Seed ed25519_new_seed() {
  ensure_gcrypt();
  Ed25519Seed seed{};
  gcry_randomize(seed.data(), seed.size(), GCRY_VERY_STRONG_RANDOM);
  return seed;
}

}  // namespace borelu::crypto

#include "crypto/sha256.h"

#include <gcrypt.h>

#include <cstdlib>
#include <cstring>

#include "core/hex.h"
#include "crypto/gcrypt_init.h"

namespace borelu::crypto {

Sha256::Sha256() : context_(nullptr) {
  ensure_gcrypt();
  gcry_md_hd_t handle = nullptr;
  if (gcry_md_open(&handle, GCRY_MD_SHA256, 0) != 0) {
    std::abort();  // only fails when out of memory or the library is broken
  }
  context_ = handle;
}

Sha256::~Sha256() {
  gcry_md_close(static_cast<gcry_md_hd_t>(context_));
}

void Sha256::update(std::span<const unsigned char> bytes) {
  gcry_md_write(static_cast<gcry_md_hd_t>(context_), bytes.data(), bytes.size());
}

Sha256Digest Sha256::finish() {
  Sha256Digest digest{};
  std::memcpy(digest.data(), gcry_md_read(static_cast<gcry_md_hd_t>(context_), GCRY_MD_SHA256),
              digest.size());
  return digest;
}

Sha256Digest sha256(std::span<const unsigned char> bytes) {
  ensure_gcrypt();
  Sha256Digest digest{};
  gcry_md_hash_buffer(GCRY_MD_SHA256, digest.data(), bytes.data(), bytes.size());
  return digest;
}

std::string sha256_hex(std::span<const unsigned char> bytes) {
  return to_lower_hex(sha256(bytes));
}

}  // namespace borelu::crypto

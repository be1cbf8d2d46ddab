#include "crypto/sha256_blocks.h"

#include <sodium.h>

#include <algorithm>

#include "crypto/sodium_init.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define BORELU_SHA_EXTENSIONS 1
#endif

namespace borelu::crypto {

void sha256_blocks_portable(Sha256Words& words, const unsigned char* blocks, std::size_t count) {
  ensure_sodium();
  // libsodium compresses whole blocks straight into the state's words when nothing is buffered,
  // so a state holding our chaining value and a zero count runs its compression alone.
  crypto_hash_sha256_state state{};
  std::copy(words.begin(), words.end(), state.state);
  crypto_hash_sha256_update(&state, blocks, count * 64);
  std::copy(std::begin(state.state), std::end(state.state), words.begin());
}

#ifdef BORELU_SHA_EXTENSIONS
namespace {

#define BORELU_SHA_TARGET __attribute__((target("sha,sse4.1"), always_inline)) inline

alignas(16) constexpr std::uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

// Four of the block's words, big-endian, into lanes 0 to 3.
BORELU_SHA_TARGET __m128i message_words(const unsigned char* bytes, __m128i byte_swap) {
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)), byte_swap);
}

// Four rounds with the message words `w` (W[t] to W[t+3] in lanes 0 to 3). `abef` and `cdgh`
// hold the working variables as sha256rnds2 takes them, A and C in lane 3; each sha256rnds2
// runs two rounds on the low two lanes of W + K and returns the new ABEF, while the old ABEF
// becomes the new CDGH.
BORELU_SHA_TARGET void four_rounds(__m128i& abef, __m128i& cdgh, __m128i w, int t) {
  __m128i wk =
      _mm_add_epi32(w, _mm_load_si128(reinterpret_cast<const __m128i*>(kRoundConstants + t)));
  cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);
  wk = _mm_shuffle_epi32(wk, 0x0e);
  abef = _mm_sha256rnds2_epu32(abef, cdgh, wk);
}

// W[t] to W[t+3] from the four groups before them: sha256msg1 adds sigma0 of W[t-15..t-12] to
// W[t-16..t-13], the W[t-7..t-4] are added, and sha256msg2 adds sigma1 of W[t-2] and W[t-1]
// (and of the two words it has just made).
BORELU_SHA_TARGET __m128i next_words(__m128i w16, __m128i w12, __m128i w8, __m128i w4) {
  const __m128i partial = _mm_add_epi32(_mm_sha256msg1_epu32(w16, w12), _mm_alignr_epi8(w4, w8, 4));
  return _mm_sha256msg2_epu32(partial, w4);
}

__attribute__((target("sha,sse4.1"))) void sha256_blocks_sha(Sha256Words& words,
                                                             const unsigned char* blocks,
                                                             std::size_t count) {
  const __m128i byte_swap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);

  // a b c d and e f g h (a in lane 0) into ABEF and CDGH (A and C in lane 3); the names read
  // from lane 3 down to lane 0.
  const __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words.data()));
  const __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words.data() + 4));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xb1);
  const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1b);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xf0);

  for (; count != 0; --count, blocks += 64) {
    const __m128i abef_before = abef;
    const __m128i cdgh_before = cdgh;
    __m128i w0 = message_words(blocks, byte_swap);
    __m128i w1 = message_words(blocks + 16, byte_swap);
    __m128i w2 = message_words(blocks + 32, byte_swap);
    __m128i w3 = message_words(blocks + 48, byte_swap);
    four_rounds(abef, cdgh, w0, 0);
    four_rounds(abef, cdgh, w1, 4);
    four_rounds(abef, cdgh, w2, 8);
    four_rounds(abef, cdgh, w3, 12);
    for (int t = 16; t < 64; t += 16) {
      w0 = next_words(w0, w1, w2, w3);
      four_rounds(abef, cdgh, w0, t);
      w1 = next_words(w1, w2, w3, w0);
      four_rounds(abef, cdgh, w1, t + 4);
      w2 = next_words(w2, w3, w0, w1);
      four_rounds(abef, cdgh, w2, t + 8);
      w3 = next_words(w3, w0, w1, w2);
      four_rounds(abef, cdgh, w3, t + 12);
    }
    abef = _mm_add_epi32(abef, abef_before);
    cdgh = _mm_add_epi32(cdgh, cdgh_before);
  }

  // Back to a b c d and e f g h.
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1b);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xb1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(words.data()), _mm_blend_epi16(feba, dchg, 0xf0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(words.data() + 4), _mm_alignr_epi8(dchg, feba, 8));
}

bool processor_has_sha_extensions() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) {
    return false;
  }
  const bool ssse3 = (c & bit_SSSE3) != 0;
  const bool sse41 = (c & bit_SSE4_1) != 0;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) {
    return false;
  }
  return ssse3 && sse41 && (b & bit_SHA) != 0;
}

}  // namespace

Sha256Blocks sha256_blocks_sha_extensions() {
  static const bool present = processor_has_sha_extensions();
  return present ? sha256_blocks_sha : nullptr;
}
#else
Sha256Blocks sha256_blocks_sha_extensions() {
  return nullptr;
}
#endif

Sha256Blocks sha256_blocks() {
  static const Sha256Blocks chosen = [] {
    const Sha256Blocks quick = sha256_blocks_sha_extensions();
    return quick != nullptr ? quick : sha256_blocks_portable;
  }();
  return chosen;
}

}  // namespace borelu::crypto

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace borelu::crypto {

// SHA-256's chaining value, the words a to h.
using Sha256Words = std::array<std::uint32_t, 8>;

// Compresses `count` whole 64-byte blocks into `words`.
using Sha256Blocks = void (*)(Sha256Words& words, const unsigned char* blocks, std::size_t count);

// libsodium's compression: portable C, for processors without the SHA extensions.
void sha256_blocks_portable(Sha256Words& words, const unsigned char* blocks, std::size_t count);

// The compression on the x86 SHA extensions (about five times quicker), or null where the
// processor lacks them or SSSE3 and SSE4.1.
[[nodiscard]] Sha256Blocks sha256_blocks_sha_extensions();

// The quickest compression this processor runs, chosen once.
[[nodiscard]] Sha256Blocks sha256_blocks();

}  // namespace borelu::crypto

// Time to verify a release metadata document of the largest accepted size (32768 bytes), beside
// its floor: one Ed25519 verification of the same signed bytes by libsodium alone; and SHA-256's
// throughput.

#include <sodium.h>
#include <benchmark/benchmark.h>

#include <vector>

#include "../native/signed_document.h"
#include "crypto/sha256.h"

namespace borelu::testing {
namespace {

// A valid document padded with white space to the size limit.
std::string padded_document() {
  std::string document = signed_document(release_json(three_files()));
  document.resize(manifest::MAX_METADATA_BYTES, ' ');
  return document;
}

// The payload of a correctly signed document of the size limit that is mostly one long string:
// the parser, canonical form and signature check see 32 KiB of content before the record is
// refused.
std::string dense_payload() {
  std::string payload;
  std::size_t notes = 30000;
  for (int attempt = 0; attempt < 64; ++attempt) {
    payload =
        "{\"notes\":\"" + std::string(notes, 'n') + "\"," + release_json(three_files()).substr(1);
    const std::size_t size = signed_document(payload).size();
    if (size == manifest::MAX_METADATA_BYTES)
      break;
    notes += manifest::MAX_METADATA_BYTES - size;
  }
  return payload;
}

std::string dense_document() {
  return signed_document(dense_payload());
}

// The key document is made once: deriving it costs as much as a verification.
Result<manifest::Release> verify_with_test_key(std::string_view document) {
  static const std::string key = test_key_document();
  return manifest::verify_release_metadata(document, manifest::TrustAnchor{key, TEST_HOST});
}

void BM_VerifyPaddedDocument(benchmark::State& state) {
  const std::string document = padded_document();
  for (auto _ : state) {
    auto release = verify_with_test_key(document);
    benchmark::DoNotOptimize(release);
    if (!release)
      state.SkipWithError("verification failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document.size()));
}
BENCHMARK(BM_VerifyPaddedDocument);

void BM_VerifyDenseDocument(benchmark::State& state) {
  const std::string document = dense_document();
  if (document.size() != manifest::MAX_METADATA_BYTES) {
    state.SkipWithError("could not build a document of the size limit");
    return;
  }
  for (auto _ : state) {
    auto release = verify_with_test_key(document);
    benchmark::DoNotOptimize(release);
    if (release || release.error().text() != "Unknown/missing release fields.") {
      state.SkipWithError("unexpected outcome");
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document.size()));
}
BENCHMARK(BM_VerifyDenseDocument);

// The floor: libsodium's crypto_sign_verify_detached alone over the canonical bytes that the
// document's signature covers (no parsing, no canonical form, no base64, no checks of our own).
void ed25519_alone(benchmark::State& state, const std::string& payload) {
  const auto canonical = manifest::canonical_payload_of(payload);
  const std::span<const unsigned char> bytes{
      reinterpret_cast<const unsigned char*>(canonical->data()), canonical->size()};
  const auto key = crypto::ed25519_public_key(test_seed());
  const auto signature = crypto::ed25519_sign(test_seed(), bytes);
  for (auto _ : state) {
    if (crypto_sign_verify_detached(signature->data(), bytes.data(), bytes.size(), key->data()) !=
        0)
      state.SkipWithError("verification failed");
  }
  state.SetLabel(std::to_string(canonical->size()) + " signed bytes");
}

void BM_Ed25519AloneForPaddedDocument(benchmark::State& state) {
  ed25519_alone(state, release_json(three_files()));
}
BENCHMARK(BM_Ed25519AloneForPaddedDocument);

void BM_Ed25519AloneForDenseDocument(benchmark::State& state) {
  ed25519_alone(state, dense_payload());
}
BENCHMARK(BM_Ed25519AloneForDenseDocument);

// SHA-256 over 64 MiB in 64 KiB pieces, as files are read: with the compression this processor
// gets, with the portable one forced, and libsodium's own incremental hashing as the floor.
void sha256_pieces(benchmark::State& state, crypto::Sha256Blocks compress) {
  const std::vector<unsigned char> piece(65536, 0x5a);
  for (auto _ : state) {
    crypto::Sha256 digest(compress);
    for (int i = 0; i < 1024; ++i) {
      digest.update(piece);
    }
    benchmark::DoNotOptimize(digest.finish());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 1024 * 65536);
}

void BM_Sha256Chosen(benchmark::State& state) {
  sha256_pieces(state, crypto::sha256_blocks());
  state.SetLabel(crypto::sha256_blocks_sha_extensions() ? "SHA extensions" : "portable");
}
BENCHMARK(BM_Sha256Chosen)->Unit(benchmark::kMillisecond);

void BM_Sha256Portable(benchmark::State& state) {
  sha256_pieces(state, crypto::sha256_blocks_portable);
}
BENCHMARK(BM_Sha256Portable)->Unit(benchmark::kMillisecond);

void BM_Sha256LibsodiumAlone(benchmark::State& state) {
  const std::vector<unsigned char> piece(65536, 0x5a);
  for (auto _ : state) {
    crypto_hash_sha256_state digest;
    crypto_hash_sha256_init(&digest);
    for (int i = 0; i < 1024; ++i) {
      crypto_hash_sha256_update(&digest, piece.data(), piece.size());
    }
    unsigned char result[crypto_hash_sha256_BYTES];
    crypto_hash_sha256_final(&digest, result);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 1024 * 65536);
}
BENCHMARK(BM_Sha256LibsodiumAlone)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace borelu::testing

BENCHMARK_MAIN();

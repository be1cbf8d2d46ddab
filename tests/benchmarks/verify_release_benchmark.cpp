// Time to verify a release metadata document of the largest accepted size (32768 bytes), beside
// its floor: one Ed25519 verification of the same signed bytes by libsodium alone.

#include <sodium.h>
#include <benchmark/benchmark.h>

#include "../native/signed_document.h"

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

}  // namespace
}  // namespace borelu::testing

BENCHMARK_MAIN();

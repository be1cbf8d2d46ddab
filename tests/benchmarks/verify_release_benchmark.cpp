// Time to verify a release metadata document of the largest accepted size (32768 bytes), beside
// its floor: one Ed25519 verification of the same signed bytes by libgcrypt alone.

#include <gcrypt.h>
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

// The floor: libgcrypt's gcry_pk_verify alone over the canonical bytes that the document's
// signature covers, the key, signature and data already built (no parsing, no canonical form, no
// base64, no checks of our own).
void ed25519_alone(benchmark::State& state, const std::string& payload) {
  const auto canonical = manifest::canonical_payload_of(payload);
  const auto key = crypto::ed25519_public_key(test_seed());
  const auto signature = crypto::ed25519_sign(
      test_seed(), {reinterpret_cast<const unsigned char*>(canonical->data()), canonical->size()});
  gcry_sexp_t key_sexp = nullptr, signature_sexp = nullptr, data_sexp = nullptr;
  gcry_sexp_build(&key_sexp, nullptr, "(public-key (ecc (curve Ed25519) (flags eddsa) (q %b)))", 32,
                  key->data());
  gcry_sexp_build(&signature_sexp, nullptr, "(sig-val (eddsa (r %b) (s %b)))", 32,
                  signature->data(), 32, signature->data() + 32);
  gcry_sexp_build(&data_sexp, nullptr, "(data (flags eddsa) (hash-algo sha512) (value %b))",
                  static_cast<int>(canonical->size()), canonical->data());
  for (auto _ : state) {
    if (gcry_pk_verify(signature_sexp, data_sexp, key_sexp) != 0)
      state.SkipWithError("verification failed");
  }
  gcry_sexp_release(data_sexp);
  gcry_sexp_release(signature_sexp);
  gcry_sexp_release(key_sexp);
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

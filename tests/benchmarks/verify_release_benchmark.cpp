// Time to verify a release metadata document of the largest accepted size (32768 bytes).

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

// A correctly signed document of the size limit whose payload is mostly one long string: the
// parser, canonical form and signature check see 32 KiB of content before the record is refused.
std::string dense_document() {
  std::string document;
  std::size_t notes = 30000;
  for (int attempt = 0; attempt < 64; ++attempt) {
    const std::string payload =
        "{\"notes\":\"" + std::string(notes, 'n') + "\"," + release_json(three_files()).substr(1);
    document = signed_document(payload);
    if (document.size() == manifest::MAX_METADATA_BYTES)
      break;
    notes += manifest::MAX_METADATA_BYTES - document.size();
  }
  return document;
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

}  // namespace
}  // namespace borelu::testing

BENCHMARK_MAIN();

#pragma once

// Builds release metadata documents signed with a test key, including payloads that verification
// must refuse after the signature check.

#include <string>
#include <string_view>

#include "core/hex.h"
#include "core/json_text.h"
#include "crypto/ed25519.h"
#include "manifest/base64.h"
#include "manifest/release.h"

namespace borelu::testing {

inline constexpr std::string_view TEST_HOST = "borelu.app";

inline crypto::Ed25519Seed test_seed() {
  crypto::Ed25519Seed seed{};
  for (std::size_t i = 0; i < seed.size(); ++i)
    seed[i] = static_cast<unsigned char>(i * 7 + 1);
  return seed;
}

inline std::string test_key_document() {
  return manifest::make_key_document(to_lower_hex(*crypto::ed25519_public_key(test_seed())));
}

inline std::string signature_for(std::string_view payload_json) {
  const auto canonical = manifest::canonical_payload_of(payload_json);
  const auto signature = crypto::ed25519_sign(
      test_seed(), {reinterpret_cast<const unsigned char*>(canonical->data()), canonical->size()});
  return manifest::encode_base64(*signature);
}

inline std::string envelope(std::string_view payload_json, std::string_view signature,
                            std::string_view schema = "1") {
  std::string document = "{\"schema\":" + std::string(schema) +
                         ",\"payload\":" + std::string(payload_json) + ",\"signature\":";
  append_json_string(document, signature);
  document += "}";
  return document;
}

inline std::string signed_document(std::string_view payload_json) {
  return envelope(payload_json, signature_for(payload_json));
}

inline std::string digest(char c) {
  return std::string(64, c);
}

inline std::string artifact_json(std::string_view name, std::string_view version = "1.4.2",
                                 std::string_view bytes = "2048", std::string sha = digest('a'),
                                 std::string url = "") {
  if (url.empty())
    url = "https://" + std::string(TEST_HOST) + "/releases/" + std::string(version) + "/" +
          std::string(name);
  return "{\"name\":\"" + std::string(name) + "\",\"url\":\"" + url +
         "\",\"bytes\":" + std::string(bytes) + ",\"sha256\":\"" + sha + "\"}";
}

inline std::string release_json(std::string_view files, std::string_view version = "1.4.2",
                                std::string_view min_bootstrapper = "1",
                                std::string_view published_at = "2026-12-01T10:00:00Z") {
  return "{\"version\":\"" + std::string(version) +
         "\",\"minBootstrapper\":" + std::string(min_bootstrapper) + ",\"publishedAt\":\"" +
         std::string(published_at) + "\",\"files\":[" + std::string(files) + "]}";
}

inline std::string three_files(std::string_view version = "1.4.2") {
  return artifact_json("Borelu.exe", version) + "," + artifact_json("BoreluService.exe", version) +
         "," + artifact_json("BoreluUpdater.exe", version);
}

inline Result<manifest::Release> verify(std::string_view document) {
  const std::string key = test_key_document();
  return manifest::verify_release_metadata(document, manifest::TrustAnchor{key, TEST_HOST});
}

inline std::string failure_of(std::string_view document) {
  const auto result = verify(document);
  return result ? "OK " + result->version : result.error().text();
}

}  // namespace borelu::testing

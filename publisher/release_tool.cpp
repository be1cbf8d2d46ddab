#include "release_tool.h"

#include <fstream>
#include <iterator>

#include "core/hex.h"
#include "core/json_text.h"
#include "crypto/sha256.h"
#include "manifest/base64.h"
#include "manifest/release.h"
#include "manifest/update_host.h"

namespace borelu::release_tool {
namespace {

std::span<const unsigned char> bytes_of(std::string_view text) {
  return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

void append_member(std::string& out, std::string_view name, std::string_view value) {
  append_json_string(out, name);
  out.push_back(':');
  append_json_string(out, value);
}

}  // namespace

Result<std::string> read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return fail("Cannot open " + path.string() + ".");
  }
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    return fail("Cannot read " + path.string() + ".");
  }
  return content;
}

Result<crypto::Ed25519Seed> read_seed(const std::filesystem::path& path) {
  auto text = read_file(path);
  if (!text) {
    return std::unexpected(text.error());
  }
  if (text->ends_with('\n')) {
    text->pop_back();
  }
  const auto seed = manifest::decode_sha256_hex(*text);
  if (!seed) {
    return fail("The key file " + path.string() + " does not hold 64 lower-case hex digits.");
  }
  return *seed;
}

Result<std::string> sign_release(const SignRequest& request, const crypto::Ed25519Seed& seed) {
  // The payload in canonical form from the start: members in key order, compact.
  std::string payload = "{\"files\":[";
  bool first = true;
  for (const std::string_view name : manifest::APPROVED_EXECUTABLES) {
    auto content = read_file(request.folder / std::string(name));
    if (!content) {
      return std::unexpected(content.error());
    }
    if (!first)
      payload.push_back(',');
    first = false;
    payload += "{\"bytes\":" + std::to_string(content->size()) + ",";
    append_member(payload, "name", name);
    payload.push_back(',');
    append_member(payload, "sha256", crypto::sha256_hex(bytes_of(*content)));
    payload.push_back(',');
    append_member(payload, "url",
                  manifest::approved_release_url(request.host, request.version, name));
    payload.push_back('}');
  }
  payload += "],\"minBootstrapper\":" + std::to_string(request.minBootstrapper) + ",";
  append_member(payload, "publishedAt", request.publishedAt);
  payload.push_back(',');
  append_member(payload, "version", request.version);
  payload.push_back('}');

  // Sign what the verifier will rebuild, not the text above, so that any difference between the
  // two shows up as a refused document here rather than in the field.
  const auto canonical = manifest::canonical_payload_of(payload);
  if (!canonical) {
    return std::unexpected(canonical.error());
  }
  const auto signature = crypto::ed25519_sign(seed, bytes_of(*canonical));
  const auto public_key = crypto::ed25519_public_key(seed);
  if (!signature || !public_key) {
    return fail("Signing failed.");
  }
  std::string document = "{\n  \"schema\": " + std::to_string(manifest::METADATA_SCHEMA) +
                         ",\n  \"payload\": " + payload + ",\n  \"signature\": ";
  append_json_string(document, manifest::encode_base64(*signature));
  document += "\n}\n";

  const std::string key_document = manifest::make_key_document(to_lower_hex(*public_key));
  const auto verified = manifest::verify_release_metadata(
      document, manifest::TrustAnchor{key_document, request.host});
  if (!verified) {
    return std::unexpected(verified.error());
  }
  return document;
}

}  // namespace borelu::release_tool

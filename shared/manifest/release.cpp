#include "manifest/release.h"

#include <algorithm>

#include "crypto/ed25519.h"
#include "manifest/base64.h"
#include "manifest/json_value.h"
#include "manifest/strict_record.h"
#include "manifest/update_host.h"

namespace borelu::manifest {
namespace {

constexpr std::string_view kInvalidDigestOrKey = "Invalid SHA-256/public key.";
constexpr std::string_view kUnknownFields = "Unknown/missing release fields.";

struct Envelope {
  std::uint32_t schema = 0;
  const JsonValue* payload = nullptr;
  std::string signature;
};

std::optional<Envelope> read_envelope(const JsonValue& document) {
  static constexpr std::array<std::string_view, 3> kNames{"schema", "payload", "signature"};
  const auto members = record_members(document, kNames, RepeatedKeys::refused);
  if (!members) {
    return std::nullopt;
  }
  const auto schema = read_u32(*(*members)[0]);
  const std::string* signature = read_string(*(*members)[2]);
  if (!schema || signature == nullptr) {
    return std::nullopt;
  }
  return Envelope{*schema, (*members)[1], *signature};
}

std::optional<Artifact> read_artifact(const JsonValue& value) {
  static constexpr std::array<std::string_view, 4> kNames{"name", "url", "bytes", "sha256"};
  const auto members = record_members(value, kNames, RepeatedKeys::last_wins);
  if (!members) {
    return std::nullopt;
  }
  const std::string* name = read_string(*(*members)[0]);
  const std::string* url = read_string(*(*members)[1]);
  const auto bytes = read_u64(*(*members)[2]);
  const std::string* digest = read_string(*(*members)[3]);
  if (name == nullptr || url == nullptr || !bytes || digest == nullptr) {
    return std::nullopt;
  }
  return Artifact{*name, *url, *digest, *bytes};
}

std::optional<Release> read_release(const JsonValue& value) {
  static constexpr std::array<std::string_view, 4> kNames{"version", "minBootstrapper",
                                                          "publishedAt", "files"};
  const auto members = record_members(value, kNames, RepeatedKeys::last_wins);
  if (!members) {
    return std::nullopt;
  }
  const std::string* version = read_string(*(*members)[0]);
  const auto min_bootstrapper = read_u32(*(*members)[1]);
  const std::string* published_at = read_string(*(*members)[2]);
  const JsonValue& files = *(*members)[3];
  if (version == nullptr || !min_bootstrapper || published_at == nullptr || !files.is_array()) {
    return std::nullopt;
  }
  Release release{*version, *min_bootstrapper, *published_at, {}};
  release.files.reserve(files.items.size());
  for (const JsonValue& item : files.items) {
    auto artifact = read_artifact(item);
    if (!artifact) {
      return std::nullopt;
    }
    release.files.push_back(std::move(*artifact));
  }
  return release;
}

Status check_artifacts(const Release& release, std::string_view host) {
  for (const std::string_view name : APPROVED_EXECUTABLES) {
    const Artifact* match = nullptr;
    std::size_t count = 0;
    for (const Artifact& artifact : release.files) {
      if (artifact.name == name) {
        match = &artifact;
        ++count;
      }
    }
    if (count != 1) {
      return fail("Release must contain each approved executable exactly once.");
    }
    if (auto digest = decode_sha256_hex(match->sha256); !digest) {
      return std::unexpected(digest.error());
    }
    if (match->bytes < MIN_ARTIFACT_BYTES || match->bytes > MAX_ARTIFACT_BYTES) {
      return fail("Release file size is outside the supported limit.");
    }
    if (match->url != approved_release_url(host, release.version, name)) {
      return fail("Release download URL is not an approved Borelu URL.");
    }
  }
  return {};
}

}  // namespace

Result<Release> verify_release_metadata(std::string_view document) {
  return verify_release_metadata(document, TrustAnchor{PINNED_KEY_DOCUMENT, UPDATE_HOST});
}

Result<Release> verify_release_metadata(std::string_view document, const TrustAnchor& anchor) {
  if (document.empty() || document.size() > MAX_METADATA_BYTES) {
    return fail("Release metadata is too large.");
  }
  const auto parsed = parse_json(document);
  const auto envelope = parsed ? read_envelope(*parsed) : std::nullopt;
  if (!envelope) {
    return fail("Invalid release metadata.");
  }
  if (envelope->schema != METADATA_SCHEMA) {
    return fail("Unsupported update metadata format.");
  }

  const auto key_document = parse_json(anchor.keyDocument);
  if (!key_document) {
    return fail("Invalid pinned key.");
  }
  const std::string* key_hex = nullptr;
  if (key_document->is_object()) {
    for (const auto& [name, member] : last_occurrences(*key_document)) {
      if (name == "publicKey") {
        key_hex = read_string(*member);
      }
    }
  }
  if (key_hex == nullptr) {
    return fail("Missing pinned key.");
  }
  const auto public_key = decode_sha256_hex(*key_hex);
  if (!public_key) {
    return std::unexpected(public_key.error());
  }

  const auto signature = decode_base64(envelope->signature);
  if (!signature) {
    return fail("Invalid release signature.");
  }
  const auto canonical = canonical_json(*envelope->payload);
  if (!canonical) {
    return fail("Invalid release payload.");
  }
  if (!crypto::ed25519_verify(
          *public_key,
          std::span(reinterpret_cast<const unsigned char*>(canonical->data()), canonical->size()),
          *signature)) {
    return fail("The release signature could not be verified.");
  }

  auto release = read_release(*envelope->payload);
  if (!release) {
    return fail(std::string(kUnknownFields));
  }
  if (auto version = parse_release_version(release->version); !version) {
    return std::unexpected(version.error());
  }
  if (release->minBootstrapper > SETUP_BOOTSTRAPPER_VERSION) {
    return fail("Download the current BoreluSetup from " + std::string(anchor.updateHost) + ".");
  }
  if (release->publishedAt.size() > MAX_PUBLISHED_AT_BYTES ||
      release->files.size() != RELEASE_FILE_COUNT) {
    return fail("Invalid release file list.");
  }
  if (auto checked = check_artifacts(*release, anchor.updateHost); !checked) {
    return std::unexpected(checked.error());
  }
  return std::move(*release);
}

std::string make_key_document(std::string_view public_key_hex) {
  std::string text = "{\n  \"algorithm\": \"ed25519\",\n  \"publicKey\": \"";
  text += public_key_hex;
  text += "\"\n}\n";
  return text;
}

Result<ReleaseVersion> parse_release_version(std::string_view text) {
  std::array<std::uint32_t, 3> numbers{};
  std::size_t part = 0;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = text.find('.', start);
    const std::string_view piece =
        text.substr(start, dot == std::string_view::npos ? dot : dot - start);
    if (part == 3 || piece.empty() || piece.size() > 7 ||
        !std::ranges::all_of(piece, [](char c) { return c >= '0' && c <= '9'; }) ||
        (piece.size() > 1 && piece.front() == '0')) {
      return fail("Invalid release version.");
    }
    // Seven digits always fit in 32 bits.
    std::uint32_t value = 0;
    for (const char c : piece) {
      value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    numbers[part++] = value;
    if (dot == std::string_view::npos) {
      break;
    }
    start = dot + 1;
  }
  if (part != 3) {
    return fail("Invalid release version.");
  }
  return ReleaseVersion{numbers[0], numbers[1], numbers[2]};
}

Result<std::array<unsigned char, 32>> decode_sha256_hex(std::string_view text) {
  const auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9')
      return c - '0';
    if (c >= 'a' && c <= 'f')
      return c - 'a' + 10;
    return -1;
  };
  std::array<unsigned char, 32> bytes{};
  if (text.size() != 64) {
    return fail(std::string(kInvalidDigestOrKey));
  }
  for (std::size_t i = 0; i < 32; ++i) {
    const int high = nibble(text[2 * i]);
    const int low = nibble(text[2 * i + 1]);
    if (high < 0 || low < 0) {
      return fail(std::string(kInvalidDigestOrKey));
    }
    bytes[i] = static_cast<unsigned char>(high << 4 | low);
  }
  return bytes;
}

Result<std::string> canonical_payload_of(std::string_view payload_json) {
  const auto parsed = parse_json(payload_json);
  auto canonical = parsed ? canonical_json(*parsed) : std::nullopt;
  if (!canonical) {
    return fail("Invalid release payload.");
  }
  return std::move(*canonical);
}

}  // namespace borelu::manifest

#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "build_config.h"
#include "core/failure.h"
#include "manifest/file_names.h"

namespace borelu::manifest {

inline constexpr std::size_t MAX_METADATA_BYTES = 32768;
inline constexpr std::uint32_t METADATA_SCHEMA = 1;
inline constexpr std::uint32_t SETUP_BOOTSTRAPPER_VERSION = 1;
inline constexpr std::size_t MAX_PUBLISHED_AT_BYTES = 40;
inline constexpr std::size_t RELEASE_FILE_COUNT = 3;
inline constexpr std::uint64_t MIN_ARTIFACT_BYTES = 1024;
inline constexpr std::uint64_t MAX_ARTIFACT_BYTES = 25165824;

// In this order: the order decides which failure is reported first.
inline constexpr std::array<std::string_view, 3> APPROVED_EXECUTABLES{APPLICATION_FILE,
                                                                      SERVICE_FILE, UPDATER_FILE};

// The release signer's public key as a small JSON document (112 bytes).
#define BORELU_KEY_DOCUMENT(key) \
  "{\n  \"algorithm\": \"ed25519\",\n  \"publicKey\": \"" key "\"\n}\n"
inline constexpr std::string_view PINNED_KEY_DOCUMENT =
    BORELU_KEY_DOCUMENT(BORELU_PINNED_PUBLIC_KEY_HEX);
static_assert(PINNED_KEY_DOCUMENT.size() == 112);

struct Artifact {
  std::string name;
  std::string url;
  std::string sha256;
  std::uint64_t bytes = 0;

  friend bool operator==(const Artifact&, const Artifact&) = default;
};

struct Release {
  std::string version;
  std::uint32_t minBootstrapper = 0;
  std::string publishedAt;
  std::vector<Artifact> files;

  friend bool operator==(const Release&, const Release&) = default;
};

struct ReleaseVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t patch = 0;

  // Major, then minor, then patch, numerically.
  friend auto operator<=>(const ReleaseVersion&, const ReleaseVersion&) = default;
};

// What a document is checked against: the signer's key document and the host of approved URLs.
struct TrustAnchor {
  std::string_view keyDocument;
  std::string_view updateHost;
};

// Raw document bytes to a trusted Release, against the pinned key and the built-in update host.
[[nodiscard]] Result<Release> verify_release_metadata(std::string_view document);
[[nodiscard]] Result<Release> verify_release_metadata(std::string_view document,
                                                      const TrustAnchor& anchor);

// A key document of the pinned document's form for another key (for the publisher's tool).
[[nodiscard]] std::string make_key_document(std::string_view public_key_hex);

// "1.4.2" to its three numbers.
[[nodiscard]] Result<ReleaseVersion> parse_release_version(std::string_view text);

// Exactly 64 lower-case hex digits to 32 bytes.
[[nodiscard]] Result<std::array<unsigned char, 32>> decode_sha256_hex(std::string_view text);

// The bytes a release signature covers: the canonical form of the payload value in `document`'s
// envelope. For the publisher's tool; verification derives the same bytes itself.
[[nodiscard]] Result<std::string> canonical_payload_of(std::string_view payload_json);

}  // namespace borelu::manifest

#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/failure.h"
#include "crypto/ed25519.h"
#include "manifest/release.h"
#include "release_tool.h"

namespace borelu::release_tool {

// A static update site: a folder laid out as the update host serves it, "updates/latest.json"
// and "releases/VERSION/NAME", ready to be uploaded to any static host or CDN.

struct PublishRequest {
  SignRequest release;  // its folder holds the release's three files
  std::filesystem::path site;
  std::string keyDocument;  // what the site must verify against: the key Setup pins
};

struct Publication {
  std::string version;
  // Paths relative to the site, in the order they must be uploaded: the release's files first,
  // the metadata last, so that no client ever reads metadata naming a file not yet there.
  std::vector<std::string> uploadOrder;
};

// Signs the release and lays it out in the site: the release's files first (a file already
// published must hold exactly the same bytes: a published file is never replaced), the metadata
// last; then checks the whole site as Setup would. Nothing is written when the signed document
// would not verify against `keyDocument`, when a published file differs, or when the site
// already publishes a newer version.
[[nodiscard]] Result<Publication> publish_release(const PublishRequest& request,
                                                  const crypto::Ed25519Seed& seed);

// Checks a site folder as Setup checks what the update host serves: the metadata through the
// program's own verification (signature against the anchor's key, fields, URL forms), each URL's
// object path on the anchor's host, and each file's size and SHA-256 as the download's read-back
// check does. Failures carry Setup's own texts.
[[nodiscard]] Result<manifest::Release> check_site(const std::filesystem::path& site,
                                                   const manifest::TrustAnchor& anchor);

}  // namespace borelu::release_tool

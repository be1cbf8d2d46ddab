#include "site.h"

#include <vector>

#include "core/hex.h"
#include "core/read_chunk.h"
#include "download/urls.h"
#include "manifest/artifact_check.h"
#include "manifest/update_host.h"
#include "site_folder.h"

namespace borelu::release_tool {
namespace {

// "/releases/1.4.2/Borelu.exe" on the host is "releases/1.4.2/Borelu.exe" in the site folder.
std::string site_path_of(std::string_view object_path) {
  return std::string(object_path.substr(1));
}

// The object path of an artifact on the anchor's host, as the download takes it.
Result<std::string> object_path_of(const manifest::Artifact& artifact, std::string_view host) {
  const auto path = download::approved_object_path(artifact.url, host);
  if (!path) {
    return fail("Unapproved download host.");
  }
  return *path;
}

enum class FileState { absent, matches, differs };

struct FileCheck {
  FileState state = FileState::absent;
  std::string mismatch;  // the download's own failure text, for a file that differs
};

// A site file fed in READ_CHUNK pieces through the download's own read-back check.
Result<FileCheck> check_file(const std::filesystem::path& site, const std::string& shown,
                             const manifest::Artifact& artifact) {
  auto file = open_site_file(site, shown);
  if (!file) {
    return std::unexpected(file.error());
  }
  if (!*file) {
    return FileCheck{};
  }
  manifest::ArtifactCheck check(artifact);
  std::vector<char> piece(READ_CHUNK);
  while (true) {
    const auto count = (*file)->read(piece);
    if (!count) {
      return fail("Cannot read " + shown + ".");
    }
    if (*count == 0) {
      break;
    }
    if (const auto fed = check.feed({reinterpret_cast<const unsigned char*>(piece.data()), *count});
        !fed) {
      return FileCheck{FileState::differs, fed.error().text()};
    }
  }
  if (const auto finished = check.finish(); !finished) {
    return FileCheck{FileState::differs, finished.error().text()};
  }
  return FileCheck{FileState::matches, {}};
}

// The metadata document, or nothing when the site has none.
Result<std::optional<std::string>> read_metadata(const std::filesystem::path& site) {
  const std::string shown = site_path_of(manifest::METADATA_PATH);
  auto file = open_site_file(site, shown);
  if (!file) {
    return std::unexpected(file.error());
  }
  if (!*file) {
    return std::nullopt;
  }
  // One byte more than the largest document, so that verification reports an oversized one.
  std::string content(manifest::MAX_METADATA_BYTES + 1, '\0');
  std::size_t filled = 0;
  while (filled < content.size()) {
    const auto count = (*file)->read(std::span(content).subspan(filled));
    if (!count) {
      return fail("Cannot read " + shown + ".");
    }
    if (*count == 0) {
      break;
    }
    filled += *count;
  }
  content.resize(filled);
  return content;
}

}  // namespace

Result<manifest::Release> check_site(const std::filesystem::path& site,
                                     const manifest::TrustAnchor& anchor) {
  const auto document = read_metadata(site);
  if (!document) {
    return std::unexpected(document.error());
  }
  if (!*document) {
    return fail("Cannot open " + site_path_of(manifest::METADATA_PATH) + ".");
  }
  auto release = manifest::verify_release_metadata(**document, anchor);
  if (!release) {
    return std::unexpected(release.error());
  }
  for (const auto& artifact : release->files) {
    const auto object_path = object_path_of(artifact, anchor.updateHost);
    if (!object_path) {
      return std::unexpected(object_path.error());
    }
    const std::string shown = site_path_of(*object_path);
    const auto checked = check_file(site, shown, artifact);
    if (!checked) {
      return std::unexpected(checked.error());
    }
    if (checked->state == FileState::absent) {
      return fail(shown + " is missing from the site.");
    }
    if (checked->state == FileState::differs) {
      return fail(checked->mismatch);
    }
  }
  return release;
}

Result<Publication> publish_release(const PublishRequest& request,
                                    const crypto::Ed25519Seed& seed) {
  const manifest::TrustAnchor anchor{request.keyDocument, request.release.host};
  const auto document = sign_release(request.release, seed);
  if (!document) {
    return std::unexpected(document.error());
  }
  // What Setup will check: the key it pins, not only the key that signed.
  const auto release = manifest::verify_release_metadata(*document, anchor);
  if (!release) {
    return fail(release.error().text() +
                " The signing key is not the key the site is checked against.");
  }
  const auto metadata_path = site_path_of(manifest::METADATA_PATH);
  std::vector<std::string> paths;
  for (const auto& artifact : release->files) {
    const auto object_path = object_path_of(artifact, anchor.updateHost);
    if (!object_path) {
      return std::unexpected(object_path.error());
    }
    paths.push_back(site_path_of(*object_path));
  }

  // Everything is checked before anything is written: a refusal leaves the site as it was. First
  // that each path to be written leads through plain folders to a plain file or to nothing.
  for (const auto& path : paths) {
    if (const auto entry = check_site_path(request.site, path); !entry) {
      return std::unexpected(entry.error());
    }
  }
  if (const auto entry = check_site_path(request.site, metadata_path); !entry) {
    return std::unexpected(entry.error());
  }

  const auto current = read_metadata(request.site);
  if (!current) {
    return std::unexpected(current.error());
  }
  if (*current) {
    const auto published = manifest::verify_release_metadata(**current, anchor);
    if (published) {
      const auto published_version = manifest::parse_release_version(published->version);
      const auto new_version = manifest::parse_release_version(release->version);
      if (published_version && new_version && *published_version > *new_version) {
        return fail("The site already publishes " + published->version + ", which is newer than " +
                    release->version + ".");
      }
    }
  }

  std::vector<bool> present;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const auto checked = check_file(request.site, paths[i], release->files[i]);
    if (!checked) {
      return std::unexpected(checked.error());
    }
    if (checked->state == FileState::differs) {
      return fail(paths[i] +
                  " is already published with other bytes; a published file is never replaced. "
                  "Publish the changed release under a new version.");
    }
    present.push_back(checked->state == FileState::matches);
  }

  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (present[i]) {
      continue;
    }
    const auto& artifact = release->files[i];
    const auto content =
        read_file(request.release.folder /
                  std::filesystem::path(std::u8string(artifact.name.begin(), artifact.name.end())));
    if (!content) {
      return std::unexpected(content.error());
    }
    if (const auto written = write_site_file(request.site, paths[i], *content); !written) {
      return std::unexpected(written.error());
    }
    // Read back: the bytes in the site are the bytes the metadata names (the release folder may
    // have changed since it was signed).
    const auto checked = check_file(request.site, paths[i], artifact);
    if (!checked) {
      return std::unexpected(checked.error());
    }
    if (checked->state != FileState::matches) {
      remove_site_file(request.site, paths[i]);
      return fail(checked->mismatch.empty() ? "Cannot write " + paths[i] + "." : checked->mismatch);
    }
  }
  if (const auto written = write_site_file(request.site, metadata_path, *document); !written) {
    return std::unexpected(written.error());
  }

  const auto checked = check_site(request.site, anchor);
  if (!checked) {
    return std::unexpected(checked.error());
  }
  Publication publication{release->version, paths};
  publication.uploadOrder.push_back(metadata_path);
  return publication;
}

}  // namespace borelu::release_tool

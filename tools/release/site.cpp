#include "site.h"

#include <fstream>
#include <vector>

#include "core/hex.h"
#include "core/read_chunk.h"
#include "download/urls.h"
#include "manifest/artifact_check.h"
#include "manifest/update_host.h"

namespace borelu::release_tool {
namespace {

constexpr std::string_view kPartSuffix = ".publishing";

std::filesystem::path relative_path_of(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

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
Result<FileCheck> check_file(const std::filesystem::path& path, const std::string& shown,
                             const manifest::Artifact& artifact) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    return FileCheck{};
  }
  if (!std::filesystem::is_regular_file(path, error)) {
    return FileCheck{FileState::differs, shown + " is not a file."};
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return fail("Cannot open " + shown + ".");
  }
  manifest::ArtifactCheck check(artifact);
  std::vector<char> piece(READ_CHUNK);
  while (in) {
    in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    const auto count = static_cast<std::size_t>(in.gcount());
    if (count == 0) {
      break;
    }
    if (const auto fed = check.feed({reinterpret_cast<const unsigned char*>(piece.data()), count});
        !fed) {
      return FileCheck{FileState::differs, fed.error().text()};
    }
  }
  if (in.bad()) {
    return fail("Cannot read " + shown + ".");
  }
  if (const auto finished = check.finish(); !finished) {
    return FileCheck{FileState::differs, finished.error().text()};
  }
  return FileCheck{FileState::matches, {}};
}

Result<std::string> read_metadata(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return fail("Cannot open " + site_path_of(manifest::METADATA_PATH) + ".");
  }
  // One byte more than the largest document, so that verification reports an oversized one.
  std::string content(manifest::MAX_METADATA_BYTES + 1, '\0');
  in.read(content.data(), static_cast<std::streamsize>(content.size()));
  if (in.bad()) {
    return fail("Cannot read " + site_path_of(manifest::METADATA_PATH) + ".");
  }
  content.resize(static_cast<std::size_t>(in.gcount()));
  return content;
}

// Writes under a temporary name beside the target and then renames it into place, so that the
// site never holds a partly written file under a published name.
Status write_into_place(const std::filesystem::path& target, const std::string& shown,
                        std::string_view content) {
  std::error_code error;
  std::filesystem::create_directories(target.parent_path(), error);
  if (error) {
    return fail("Cannot create the folder of " + shown + ".");
  }
  auto temporary = target;
  temporary += std::string(kPartSuffix);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, error);
      return fail("Cannot write " + shown + ".");
    }
  }
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return fail("Cannot write " + shown + ".");
  }
  return {};
}

}  // namespace

Result<manifest::Release> check_site(const std::filesystem::path& site,
                                     const manifest::TrustAnchor& anchor) {
  const auto document =
      read_metadata(site / relative_path_of(site_path_of(manifest::METADATA_PATH)));
  if (!document) {
    return std::unexpected(document.error());
  }
  auto release = manifest::verify_release_metadata(*document, anchor);
  if (!release) {
    return std::unexpected(release.error());
  }
  for (const auto& artifact : release->files) {
    const auto object_path = object_path_of(artifact, anchor.updateHost);
    if (!object_path) {
      return std::unexpected(object_path.error());
    }
    const std::string shown = site_path_of(*object_path);
    const auto checked = check_file(site / relative_path_of(shown), shown, artifact);
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
  const auto metadata_file = request.site / relative_path_of(metadata_path);
  std::error_code error;
  if (std::filesystem::exists(metadata_file, error)) {
    const auto current = read_metadata(metadata_file);
    if (!current) {
      return std::unexpected(current.error());
    }
    const auto published = manifest::verify_release_metadata(*current, anchor);
    if (published) {
      const auto published_version = manifest::parse_release_version(published->version);
      const auto new_version = manifest::parse_release_version(release->version);
      if (published_version && new_version && *published_version > *new_version) {
        return fail("The site already publishes " + published->version + ", which is newer than " +
                    release->version + ".");
      }
    }
  }

  // Every release file is checked before anything is written: a refusal leaves the site as it
  // was.
  std::vector<std::string> paths;
  std::vector<bool> present;
  for (const auto& artifact : release->files) {
    const auto object_path = object_path_of(artifact, anchor.updateHost);
    if (!object_path) {
      return std::unexpected(object_path.error());
    }
    const std::string shown = site_path_of(*object_path);
    const auto checked = check_file(request.site / relative_path_of(shown), shown, artifact);
    if (!checked) {
      return std::unexpected(checked.error());
    }
    if (checked->state == FileState::differs) {
      return fail(shown +
                  " is already published with other bytes; a published file is never replaced. "
                  "Publish the changed release under a new version.");
    }
    paths.push_back(shown);
    present.push_back(checked->state == FileState::matches);
  }

  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (present[i]) {
      continue;
    }
    const auto& artifact = release->files[i];
    const auto content = read_file(request.release.folder / relative_path_of(artifact.name));
    if (!content) {
      return std::unexpected(content.error());
    }
    const auto target = request.site / relative_path_of(paths[i]);
    if (const auto written = write_into_place(target, paths[i], *content); !written) {
      return std::unexpected(written.error());
    }
    // Read back: the bytes in the site are the bytes the metadata names (the release folder may
    // have changed since it was signed).
    const auto checked = check_file(target, paths[i], artifact);
    if (!checked) {
      return std::unexpected(checked.error());
    }
    if (checked->state != FileState::matches) {
      std::filesystem::remove(target, error);
      return fail(checked->mismatch.empty() ? "Cannot write " + paths[i] + "." : checked->mismatch);
    }
  }
  if (const auto written = write_into_place(metadata_file, metadata_path, *document); !written) {
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

#include "apply/artifact_file.h"

#include "manifest/artifact_check.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::apply {

Status check_artifact_through(HANDLE source, const manifest::Artifact& artifact, HANDLE copy) {
  manifest::ArtifactCheck check(artifact);
  auto read = win::read_pieces(source, [&](std::span<const unsigned char> piece) -> Status {
    if (auto fed = check.feed(piece); !fed) {
      return fed;
    }
    if (copy == nullptr) {
      return {};
    }
    return win::write_all(
        copy, std::string_view(reinterpret_cast<const char*>(piece.data()), piece.size()));
  });
  if (!read) {
    return read;
  }
  return check.finish();
}

Status check_file_against_artifact(std::string_view path, const manifest::Artifact& artifact) {
  const win::FileHandle file(CreateFileW(win::widen(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                         nullptr));
  if (!file) {
    return std::unexpected(win::last_os_failure());
  }
  return check_artifact_through(file.get(), artifact);
}

}  // namespace borelu::apply

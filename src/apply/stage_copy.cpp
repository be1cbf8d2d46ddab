#include "apply/stage_copy.h"

#include <windows.h>

#include "apply/artifact_file.h"
#include "apply/path_safety.h"
#include "core/path_text.h"
#include "manifest/file_names.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::apply {
namespace {

Status copy_checked(std::string_view stage_folder, std::string_view work_folder,
                    const manifest::Artifact& artifact) {
  auto source = open_regular_file(join_path(stage_folder, artifact.name));
  if (!source) {
    return std::unexpected(source.error());
  }
  const std::string target = join_path(work_folder, artifact.name);
  const auto copy = win::create_new_file(target);
  if (!copy) {
    return std::unexpected(copy.error());
  }
  if (auto checked = check_artifact_through(source->get(), artifact, copy->get()); !checked) {
    return checked;
  }
  if (auto flushed = win::flush_to_disk(copy->get()); !flushed) {
    return flushed;
  }
  return protect_path(target);
}

}  // namespace

Result<StagedRelease> copy_stage_to_work(std::string_view stage_folder,
                                         std::string_view work_folder,
                                         const BeforeCopy& before_copy) {
  if (auto checked = reject_linked_path(stage_folder); !checked) {
    return std::unexpected(checked.error());
  }
  // While it is read, the stage is held as Setup's own run holds it (when Setup made it), so that
  // no Setup started meanwhile takes it for a leftover and removes it. Opened as itself, read
  // access only; a stage without one (another program's) is read all the same.
  const win::FileHandle in_use(
      CreateFileW(win::widen(join_path(stage_folder, manifest::STAGE_MARKER_FILE)).c_str(),
                  GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  auto metadata_file = open_regular_file(join_path(stage_folder, manifest::STAGED_METADATA));
  if (!metadata_file) {
    return std::unexpected(metadata_file.error());
  }
  // One byte more than verification accepts, so an oversized file is refused there.
  auto bytes = win::read_all(metadata_file->get(), manifest::MAX_METADATA_BYTES + 1);
  if (!bytes) {
    return std::unexpected(bytes.error());
  }
  auto release = manifest::verify_release_metadata(*bytes);
  if (!release) {
    return std::unexpected(release.error());
  }
  if (before_copy) {
    if (auto allowed = before_copy(*release, bytes->size()); !allowed) {
      return std::unexpected(allowed.error());
    }
  }
  for (const auto& artifact : release->files) {
    if (auto copied = copy_checked(stage_folder, work_folder, artifact); !copied) {
      return std::unexpected(copied.error());
    }
  }
  if (auto written =
          win::replace_file_with(join_path(work_folder, manifest::STAGED_METADATA), *bytes);
      !written) {
    return std::unexpected(written.error());
  }
  return StagedRelease{std::move(*bytes), std::move(*release)};
}

}  // namespace borelu::apply

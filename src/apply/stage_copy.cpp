#include "apply/stage_copy.h"

#include <windows.h>

#include "apply/artifact_file.h"
#include "core/path_text.h"
#include "manifest/file_names.h"
#include "storage/path_safety.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/relative_files.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::apply {
namespace {

Status copy_checked(HANDLE stage, std::string_view work_folder,
                    const manifest::Artifact& artifact) {
  auto source = storage::open_regular_child(stage, artifact.name);
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
  return storage::protect_path(target);
}

// While it is read, the stage is held as Setup's own run holds it (when Setup made it), so that
// no Setup started meanwhile takes it for a leftover and removes it: read access, sharing no
// deletion. The marker is first checked as an ordinary file of the stage through a handle that
// holds nothing back from anyone, and only that very file is held; a stage without one (another
// program's) is read all the same.
win::FileHandle hold_marker(HANDLE stage) {
  const std::wstring name = win::widen(manifest::STAGE_MARKER_FILE);
  const auto probe = win::open_child(stage, name, win::ChildKind::file, {});
  if (!probe || !storage::is_plain_child(stage, probe->get(), name)) {
    return {};
  }
  auto held =
      win::open_child(stage, name, win::ChildKind::file,
                      {.access = GENERIC_READ, .share = FILE_SHARE_READ | FILE_SHARE_WRITE});
  if (!held || !win::same_file(probe->get(), held->get())) {
    return {};
  }
  return std::move(*held);
}

}  // namespace

Result<StagedRelease> copy_stage_to_work(std::string_view stage_folder,
                                         std::string_view work_folder,
                                         const BeforeCopy& before_copy, const StageOpened& opened) {
  // The stage is opened once, as itself, and checked, it and every folder above it; everything in
  // it is opened relative to that handle, so a folder swapped for a link after the check leads
  // nowhere. The handle shares no deletion: the folder cannot be renamed away meanwhile.
  if (auto checked = storage::reject_linked_path(stage_folder); !checked) {
    return std::unexpected(checked.error());
  }
  auto stage = win::open_folder_unfollowed(stage_folder);
  if (!stage) {
    // As when its metadata cannot be opened: a stage that is missing is an update not readable.
    return fail(std::string(storage::READ_VERIFIED_UPDATE) + ": " + stage.error().text());
  }
  if (const auto linked = storage::opened_link(stage->get(), stage_folder); !linked || *linked) {
    return linked ? fail(std::string(storage::kLinkedPath)) : std::unexpected(linked.error());
  }
  const win::FileHandle in_use = hold_marker(stage->get());
  if (opened) {
    opened();
  }
  auto metadata_file = storage::open_regular_child(stage->get(), manifest::STAGED_METADATA);
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
    if (auto copied = copy_checked(stage->get(), work_folder, artifact); !copied) {
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

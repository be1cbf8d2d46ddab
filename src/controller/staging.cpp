#include "controller/staging.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "apply/artifact_file.h"
#include "controller/request_cancel.h"
#include "core/ascii_case.h"
#include "core/path_text.h"
#include "download/https.h"
#include "download/urls.h"
#include "manifest/file_names.h"
#include "manifest/update_host.h"
#include "storage/disk_space.h"
#include "storage/free_space.h"
#include "storage/path_safety.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/random.h"
#include "win/relative_files.h"
#include "win/system_error.h"
#include "win/text.h"
#include "win/timeline.h"

namespace borelu::controller {
namespace {

std::optional<std::string> updates_folder() {
  const DWORD needed = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
  if (needed == 0) {
    return std::nullopt;
  }
  std::wstring value(needed, L'\0');
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), needed);
  if (length == 0 || length >= needed) {
    return std::nullopt;
  }
  value.resize(length);
  return join_path(win::narrow(value), download::UPDATES_SUBDIR);
}

// Path components compared one by one, ASCII letters folded, either separator.
bool same_components(std::string_view a, std::string_view b) {
  const auto split = [](std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path) {
      if (c == '\\' || c == '/') {
        if (!part.empty())
          parts.push_back(std::move(part));
        part.clear();
      } else {
        part.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
      }
    }
    if (!part.empty())
      parts.push_back(std::move(part));
    return parts;
  };
  return split(a) == split(b);
}

// Renames with replacement; where that is refused, renames through the open file instead.
Status rename_replacing(std::string_view from, std::string_view to) {
  const std::wstring source = win::widen(from);
  const std::wstring target = win::widen(to);
  if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return {};
  }
  if (GetLastError() != ERROR_ACCESS_DENIED) {
    return std::unexpected(win::last_os_failure());
  }
  const win::FileHandle file(CreateFileW(source.c_str(), DELETE,
                                         FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
  if (!file) {
    return std::unexpected(win::last_os_failure());
  }
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::copy(target.begin(), target.end(), info->FileName);
  if (!SetFileInformationByHandle(file.get(), FileRenameInfo, info,
                                  static_cast<DWORD>(buffer.size()))) {
    return std::unexpected(win::last_os_failure());
  }
  return {};
}

// Whether Setup gives a file in a staging folder this name: a release file, one being downloaded
// (".part"), the staged metadata or the marker.
bool is_staged_name(std::wstring_view name) {
  const std::string text = win::narrow(name);
  for (const std::string_view file : manifest::APPROVED_EXECUTABLES) {
    if (equal_ignoring_ascii_case(text, file) ||
        equal_ignoring_ascii_case(text, std::string(file) + std::string(download::PART_SUFFIX))) {
      return true;
    }
  }
  return equal_ignoring_ascii_case(text, manifest::STAGED_METADATA) ||
         equal_ignoring_ascii_case(text, manifest::STAGE_MARKER_FILE);
}

bool is_plain_entry(const win::ChildEntry& entry, DWORD kind) {
  return (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == kind;
}

// Removes the staging folder `name` of the open updates folder when it is an ordinary folder
// holding only files Setup stages, plain files all, and its marker can be taken for deletion,
// sharing nothing: that fails while a run or a worker holds it, and once it succeeds no run can
// take the folder up again. Everything is reached through handles held since its check, so a
// folder or file swapped for a link meanwhile changes nothing that is deleted.
void remove_unused_stage(HANDLE updates, std::wstring_view name, const StageChecked& checked) {
  // Sharing no deletion, so that nobody renames or removes the folder while it is emptied.
  constexpr win::ChildAccess kHeld{.access = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | DELETE,
                                   .share = FILE_SHARE_READ | FILE_SHARE_WRITE};
  const auto stage = win::open_child(updates, name, win::ChildKind::folder, kHeld);
  if (!stage || win::is_reparse_point(stage->get()) ||
      !win::is_named_child(updates, stage->get(), name)) {
    return;
  }
  const auto files = win::child_entries(stage->get());
  if (!files || !std::ranges::all_of(*files, [](const win::ChildEntry& file) {
        return is_staged_name(file.name) && is_plain_entry(file, 0);
      })) {
    return;  // another program's, or something was added to it
  }
  const std::wstring marker_name = win::widen(manifest::STAGE_MARKER_FILE);
  auto marker = win::open_child(stage->get(), marker_name, win::ChildKind::file,
                                {.access = DELETE | FILE_READ_ATTRIBUTES, .share = 0});
  if (!marker || !win::is_plain_child_file(stage->get(), marker->get(), marker_name)) {
    return;  // in use, or not Setup's
  }
  if (checked) {
    checked(win::narrow(name));
  }
  for (const win::ChildEntry& file : *files) {
    if (equal_ignoring_ascii_case(std::wstring_view(file.name), marker_name)) {
      continue;
    }
    const auto staged = win::open_child(stage->get(), file.name, win::ChildKind::file,
                                        {.access = DELETE | FILE_READ_ATTRIBUTES});
    if (staged && win::is_plain_child_file(stage->get(), staged->get(), file.name)) {
      (void)win::delete_through(staged->get());
    }
  }
  (void)win::delete_through(marker->get());
  marker->reset();
  (void)win::delete_through(stage->get());  // refused while anything is still in it
}

// The folder at `path`, opened as itself once it and every folder above it were found free of
// links, and its handle checked in turn; nothing when any of that fails.
std::optional<win::FileHandle> open_checked_folder(std::string_view path) {
  if (!storage::reject_linked_path(path)) {
    return std::nullopt;
  }
  auto folder = win::open_folder_unfollowed(path);
  if (!folder) {
    return std::nullopt;
  }
  const auto linked = storage::opened_link(folder->get(), path);
  if (!linked || *linked) {
    return std::nullopt;
  }
  return std::move(*folder);
}

// Lets go of this run's hold on its stage and removes it as an earlier run's stage is removed.
void release_stage(Stage& stage) {
  stage.marker.reset();
  const auto parent = parent_path(stage.path);
  if (!parent) {
    return;
  }
  if (const auto updates = open_checked_folder(*parent)) {
    remove_unused_stage(updates->get(), win::widen(file_name(stage.path)), nullptr);
  }
}

Status download_all(std::string_view stage, const manifest::Release& release,
                    std::string_view metadata, const CancelState& cancel,
                    const ProgressReporter& progress) {
  if (auto room = storage::check_free_space(
          stage, storage::space_needed(release, metadata.size(), std::nullopt));
      !room) {
    return room;  // before the first file is asked for
  }
  const RequestCancel request_cancel(cancel);
  std::uint64_t total = 0;
  for (const auto& artifact : release.files) {
    total += artifact.bytes;
  }
  std::uint64_t done = 0;
  // One line per whole percent, not one per piece read: the window shows nothing finer, and each
  // line is a string made and handed across threads.
  std::optional<std::uint32_t> reported;
  for (const auto& artifact : release.files) {
    if (cancel.cancel_requested()) {
      return fail(std::string(kCancelledMessage));  // the next file is not even asked for
    }
    const std::string final_path = join_path(stage, artifact.name);
    const std::string part_path = final_path + std::string(download::PART_SUFFIX);
    win::FileHandle part(CreateFileW(win::widen(part_path).c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!part) {
      return std::unexpected(win::last_os_failure());
    }
    const auto object_path = download::approved_object_path(artifact.url, manifest::UPDATE_HOST);
    if (!object_path) {
      return fail("Unapproved download host.");
    }
    const std::string phase = "file " + artifact.name;
    const win::timeline::Span file_span(phase);
    const auto fetched = download::https_get(
        *object_path, artifact.bytes,
        [&](std::span<const unsigned char> chunk) -> Status {
          if (auto written = win::write_all(
                  part.get(),
                  std::string_view(reinterpret_cast<const char*>(chunk.data()), chunk.size()));
              !written) {
            return written;
          }
          done += chunk.size();
          if (const auto percent = download::percent_of(done, total); percent != reported) {
            reported = percent;
            progress(percent, download::downloading_line(release.version, percent));
          }
          return {};
        },
        request_cancel.get());
    if (!fetched) {
      return fetched;
    }
    if (auto flushed =
            win::timeline::timed("flush", [&] { return win::flush_to_disk(part.get()); });
        !flushed) {
      return flushed;
    }
    part.reset();
    if (auto checked = win::timeline::timed(
            "read back", [&] { return apply::check_file_against_artifact(part_path, artifact); });
        !checked) {
      return checked;
    }
    if (auto renamed = rename_replacing(part_path, final_path); !renamed) {
      return renamed;
    }
  }
  return win::write_whole_file(join_path(stage, manifest::STAGED_METADATA), metadata);
}

}  // namespace

Result<Stage> create_stage() {
  const auto updates = updates_folder();
  if (!updates) {
    return fail("Windows local data folder is unavailable.");
  }
  if (auto made = win::create_directories(*updates); !made) {
    return std::unexpected(made.error());
  }
  remove_unused_stages(*updates);
  const auto digits = win::random_hex(16);
  if (!digits) {
    return std::unexpected(digits.error());
  }
  const std::string stage = join_path(*updates, std::string(download::STAGE_PREFIX) + *digits);
  if (!CreateDirectoryW(win::widen(stage).c_str(), nullptr)) {
    return std::unexpected(win::last_os_failure());
  }
  // Read access takes part in sharing, so that a clean-up asking for delete access is refused;
  // readers and writers are let in, the worker among them.
  win::FileHandle marker(CreateFileW(
      win::widen(join_path(stage, manifest::STAGE_MARKER_FILE)).c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!marker) {
    const Failure failure = win::last_os_failure();
    RemoveDirectoryW(win::widen(stage).c_str());
    return std::unexpected(failure);
  }
  return Stage{stage, std::move(marker)};
}

Status download_release(Stage& stage, const manifest::Release& release, std::string_view metadata,
                        const CancelState& cancel, const ProgressReporter& progress) {
  auto outcome = download_all(stage.path, release, metadata, cancel, progress);
  if (!outcome) {
    release_stage(stage);
  }
  return outcome;
}

void remove_unused_stages(std::string_view updates, const StageChecked& checked) {
  const auto folder = open_checked_folder(updates);
  if (!folder) {
    return;
  }
  const auto entries = win::child_entries(folder->get());
  if (!entries) {
    return;
  }
  for (const win::ChildEntry& entry : *entries) {
    if (download::is_stage_name(win::narrow(entry.name)) &&
        is_plain_entry(entry, FILE_ATTRIBUTE_DIRECTORY)) {
      remove_unused_stage(folder->get(), entry.name, checked);
    }
  }
}

void remove_stage_after_success(Stage& stage) {
  const auto updates = updates_folder();
  const auto parent = parent_path(stage.path);
  if (!updates || !parent || !download::is_stage_name(file_name(stage.path)) ||
      !same_components(*parent, *updates)) {
    return;
  }
  release_stage(stage);
}

}  // namespace borelu::controller

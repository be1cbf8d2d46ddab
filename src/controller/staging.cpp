#include "controller/staging.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "apply/artifact_file.h"
#include "apply/disk_space.h"
#include "apply/free_space.h"
#include "apply/path_safety.h"
#include "controller/request_cancel.h"
#include "core/path_text.h"
#include "download/https.h"
#include "download/urls.h"
#include "manifest/file_names.h"
#include "manifest/update_host.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/random.h"
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

// Lets go of this run's hold on its stage and removes the marker, then the folder, which is left
// when anything else is still in it.
void release_stage(Stage& stage) {
  stage.marker.reset();
  DeleteFileW(win::widen(join_path(stage.path, manifest::STAGE_MARKER_FILE)).c_str());
  RemoveDirectoryW(win::widen(stage.path).c_str());
}

void remove_staged(Stage& stage, const manifest::Release& release) {
  for (const auto& artifact : release.files) {
    const std::string final_path = join_path(stage.path, artifact.name);
    DeleteFileW(win::widen(final_path).c_str());
    DeleteFileW(win::widen(final_path + std::string(download::PART_SUFFIX)).c_str());
  }
  DeleteFileW(win::widen(join_path(stage.path, manifest::STAGED_METADATA)).c_str());
  release_stage(stage);
}

// Takes an earlier run's marker for deletion, sharing nothing: that fails while a run or a worker
// holds it, and once it succeeds no run can take the folder up again. The marker must be an
// ordinary file, reached as itself.
win::FileHandle take_unused_marker(std::string_view stage) {
  const std::string marker = join_path(stage, manifest::STAGE_MARKER_FILE);
  win::FileHandle taken(CreateFileW(win::widen(marker).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!taken || !apply::is_plain_file(taken.get(), marker)) {
    return {};
  }
  return taken;
}

void remove_unused_stages_in(std::string_view updates) {
  if (!apply::reject_linked_path(updates)) {
    return;
  }
  for (const std::string& name : win::subfolder_names(updates)) {
    const std::string stage = join_path(updates, name);
    if (!download::is_stage_name(name) || !apply::reject_linked_path(stage)) {
      continue;
    }
    win::FileHandle marker = take_unused_marker(stage);
    if (!marker) {
      continue;  // in use, or not Setup's
    }
    for (const std::string_view file : manifest::APPROVED_EXECUTABLES) {
      const std::string path = join_path(stage, file);
      DeleteFileW(win::widen(path).c_str());
      DeleteFileW(win::widen(path + std::string(download::PART_SUFFIX)).c_str());
    }
    DeleteFileW(win::widen(join_path(stage, manifest::STAGED_METADATA)).c_str());
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(marker.get(), FileDispositionInfo, &disposition, sizeof disposition);
    marker.reset();
    RemoveDirectoryW(win::widen(stage).c_str());
  }
}

Status download_all(std::string_view stage, const manifest::Release& release,
                    std::string_view metadata, const CancelState& cancel,
                    const ProgressReporter& progress) {
  if (auto room = apply::check_free_space(
          stage, apply::space_needed(release, metadata.size(), std::nullopt));
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
  remove_unused_stages_in(*updates);
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
    remove_staged(stage, release);
  }
  return outcome;
}

void remove_stage_after_success(Stage& stage) {
  const auto updates = updates_folder();
  const auto parent = parent_path(stage.path);
  if (!updates || !parent || !download::is_stage_name(file_name(stage.path)) ||
      !same_components(*parent, *updates) || !apply::reject_linked_path(stage.path)) {
    return;
  }
  for (const std::string_view name : manifest::APPROVED_EXECUTABLES) {
    DeleteFileW(win::widen(join_path(stage.path, name)).c_str());
  }
  DeleteFileW(win::widen(join_path(stage.path, manifest::STAGED_METADATA)).c_str());
  release_stage(stage);
}

}  // namespace borelu::controller

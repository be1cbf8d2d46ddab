#include "apply/path_safety.h"

#include <optional>

#include "core/path_text.h"
#include "manifest/installation.h"
#include "win/files.h"
#include "win/security.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::apply {
namespace {

// Whether one existing component is a reparse point; nothing when it does not exist.
// Both the handle and the path are asked: Windows reports a link through either, while Wine
// shows a Unix symbolic link as a reparse point only through the path's attributes.
Result<std::optional<bool>> is_reparse_point(std::string_view component) {
  const std::wstring wide = win::widen(component);
  const win::FileHandle handle(CreateFileW(
      wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return std::optional<bool>();
    }
    return std::unexpected(win::os_failure(error));
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.get(), &info)) {
    return std::unexpected(win::last_os_failure());
  }
  const DWORD path_attributes = GetFileAttributesW(wide.c_str());
  if (path_attributes == INVALID_FILE_ATTRIBUTES) {
    return std::unexpected(win::last_os_failure());
  }
  return std::optional<bool>(
      ((info.dwFileAttributes | path_attributes) & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
}

// Whether the open file is the one named by `path` rather than a link's target. Wine follows a
// Unix symbolic link to a file even when asked not to and reports an ordinary file; its final
// path then names the target, while the folder's final path joined with the name names the link.
bool opened_where_named(HANDLE file, std::string_view path) {
  const auto folder = parent_path(path);
  if (!folder) {
    return false;
  }
  const win::FileHandle parent(CreateFileW(win::widen(*folder).c_str(), FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                           nullptr));
  if (!parent) {
    return false;
  }
  const auto parent_final = win::final_path_of(parent.get());
  const auto file_final = win::final_path_of(file);
  return parent_final && file_final &&
         win::same_final_path(*file_final,
                              win::widen(join_path(win::narrow(*parent_final), file_name(path))));
}

}  // namespace

Status reject_linked_path(std::string_view path) {
  std::optional<std::string> component(path);
  while (component) {
    const auto linked = is_reparse_point(*component);
    if (!linked) {
      return std::unexpected(linked.error());
    }
    if (linked->value_or(false)) {
      return fail(std::string(kLinkedPath));
    }
    component = parent_path(*component);
  }
  return {};
}

Result<win::FileHandle> open_regular_file(std::string_view path) {
  const std::wstring wide = win::widen(path);
  win::FileHandle file(
      CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) {
    return std::unexpected(win::last_os_failure("Read verified update"));
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const DWORD path_attributes = GetFileAttributesW(wide.c_str());
  if (!GetFileInformationByHandle(file.get(), &info) || info.nNumberOfLinks != 1 ||
      path_attributes == INVALID_FILE_ATTRIBUTES ||
      ((info.dwFileAttributes | path_attributes) &
       (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
      !opened_where_named(file.get(), path)) {
    return fail(std::string(kLinkedFile));
  }
  return file;
}

Status protect_path(std::string_view path) {
  const auto descriptor = win::security_descriptor(PROTECTED_DESCRIPTOR);
  if (!descriptor) {
    return std::unexpected(descriptor.error());
  }
  constexpr SECURITY_INFORMATION kWhat = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                         DACL_SECURITY_INFORMATION |
                                         PROTECTED_DACL_SECURITY_INFORMATION;
  static_assert(kWhat == 0x80000007);
  if (!SetFileSecurityW(win::widen(path).c_str(), kWhat, descriptor->get())) {
    return std::unexpected(win::last_os_failure("Protect installed files"));
  }
  return {};
}

Result<std::string> prepare_maintenance_folder() {
  auto folder = manifest::maintenance_folder_path();
  if (!folder) {
    return folder;
  }
  if (auto checked = reject_linked_path(*folder); !checked) {
    return std::unexpected(checked.error());
  }
  if (auto made = win::create_directories(*folder); !made) {
    return std::unexpected(made.error());
  }
  if (auto stamped = protect_path(*folder); !stamped) {
    return std::unexpected(stamped.error());
  }
  return folder;
}

}  // namespace borelu::apply

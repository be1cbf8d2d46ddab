#include "storage/path_safety.h"

#include <cstdint>
#include <optional>

#include "storage/link_rule.h"

#include "core/path_text.h"
#include "win/files.h"
#include "win/relative_files.h"
#include "win/security.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::storage {
namespace {

// For paths a standard user may control: whoever serves the open (a redirector a link led to, a
// named pipe's server) may learn who asks, never act as this process.
constexpr DWORD kIdentifyOnly = SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;

// The second handle of a file to be trusted, opened through its filter, must be the very file the
// first (opened as itself, sharing no deletion) was checked as.
Result<win::FileHandle> same_content(HANDLE named, Result<win::FileHandle> content) {
  if (!content) {
    return std::unexpected(content.error());
  }
  if (!win::same_file(named, content->get())) {
    return fail(std::string(kLinkedFile));
  }
  return content;
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
                                           nullptr, OPEN_EXISTING,
                                           FILE_FLAG_BACKUP_SEMANTICS | kIdentifyOnly, nullptr));
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

Result<bool> opened_link(HANDLE handle, std::string_view path) {
  // The tag tells a link (a name surrogate) from a reparse point that keeps its own name and
  // content, such as a OneDrive placeholder or a file compressed by Windows. The path is asked
  // as well: Windows reports a link through either, while Wine shows a Unix symbolic link as a
  // reparse point only through the path's attributes, without a tag.
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)) {
    return std::unexpected(win::last_os_failure());
  }
  const DWORD path_attributes = win::path_attributes(path);
  if (path_attributes == INVALID_FILE_ATTRIBUTES) {
    return std::unexpected(win::last_os_failure());
  }
  const bool handle_reparse = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return redirects({.handleReparse = handle_reparse,
                    .pathReparse = (path_attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
                    .tag = handle_reparse ? static_cast<std::uint32_t>(tag.ReparseTag) : 0});
}

Result<std::optional<bool>> is_link(std::string_view path) {
  const std::wstring wide = win::widen(path);
  const win::FileHandle handle(CreateFileW(
      wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING,
      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS | kIdentifyOnly, nullptr));
  if (!handle) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return std::optional<bool>();
    }
    return std::unexpected(win::os_failure(error));
  }
  const auto linked = opened_link(handle.get(), path);
  if (!linked) {
    return std::unexpected(linked.error());
  }
  return std::optional<bool>(*linked);
}

Status reject_linked_path(std::string_view path) {
  std::optional<std::string> component(path);
  while (component) {
    const auto linked = is_link(*component);
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

bool is_plain_file(HANDLE file, std::string_view path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info) || info.nNumberOfLinks != 1 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  const auto linked = opened_link(file, path);
  return linked && !*linked && opened_where_named(file, path);
}

Result<win::FileHandle> open_regular_file(std::string_view path) {
  const std::wstring wide = win::widen(path);
  const auto open = [&](DWORD flags) {
    return win::FileHandle(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, flags, nullptr));
  };
  // First the name itself, never followed: an ordinary file with one name, not a link.
  const win::FileHandle named = open(FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
  if (!named) {
    return std::unexpected(win::last_os_failure(READ_VERIFIED_UPDATE));
  }
  if (!is_plain_file(named.get(), path)) {
    return fail(std::string(kLinkedFile));
  }
  // Then its content as every program reads it: a file compressed by Windows or a cloud file
  // shows its content only through its filter, which a handle opened as the reparse point itself
  // bypasses. The first handle keeps the name from being moved or replaced meanwhile (it shares
  // no delete), and the second must open the very same file.
  win::FileHandle content = open(0);
  if (!content) {
    return std::unexpected(win::last_os_failure(READ_VERIFIED_UPDATE));
  }
  return same_content(named.get(), std::move(content));
}

bool is_plain_child(HANDLE folder, HANDLE file, std::wstring_view name) {
  BY_HANDLE_FILE_INFORMATION info{};
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandle(file, &info) || info.nNumberOfLinks != 1 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      !GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag)) {
    return false;
  }
  const bool reparse = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return !redirects({.handleReparse = reparse,
                     .pathReparse = reparse,
                     .tag = reparse ? static_cast<std::uint32_t>(tag.ReparseTag) : 0}) &&
         win::is_named_child(folder, file, name);
}

Result<win::FileHandle> open_regular_child(HANDLE folder, std::string_view name) {
  const std::wstring wide = win::widen(name);
  const auto open = [&](bool through_filter) -> Result<win::FileHandle> {
    auto opened = win::open_child(
        folder, wide, win::ChildKind::file,
        {.access = GENERIC_READ, .share = FILE_SHARE_READ, .throughFilter = through_filter});
    if (!opened) {
      return fail(std::string(READ_VERIFIED_UPDATE) + ": " + opened.error().text());
    }
    return opened;
  };
  const auto named = open(false);
  if (!named) {
    return std::unexpected(named.error());
  }
  if (!is_plain_child(folder, named->get(), wide)) {
    return fail(std::string(kLinkedFile));
  }
  return same_content(named->get(), open(true));
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

}  // namespace borelu::storage

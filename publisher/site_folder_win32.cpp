// The site folder on Windows: each folder on the way opened as itself (never through a reparse
// point), checked, and held open without delete sharing while the file is written, so that no
// folder on the way can be renamed, removed or replaced by a link until the write is done.

#include <windows.h>

#include "site_folder.h"

namespace borelu::release_tool {
namespace {

using namespace site_folder_detail;

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  Handle& operator=(Handle&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      CloseHandle(handle_);
    }
  }
  [[nodiscard]] HANDLE get() const { return handle_; }
  [[nodiscard]] explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
  [[nodiscard]] HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE handle_;
};

std::filesystem::path part_path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool absent_error(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Opens a name as itself: a reparse point there is opened, not followed.
Handle open_as_itself(const std::filesystem::path& path, DWORD access, DWORD share) {
  return Handle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

enum class Kind { folder, file, other };

Kind kind_of(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return Kind::other;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Kind::folder;
  }
  return GetFileType(handle) == FILE_TYPE_DISK ? Kind::file : Kind::other;
}

// The folders on the way to the last part of a path, each held; `folder` is the last one's path,
// and `complete` false when a folder on the way is absent and `create` is false.
struct Parent {
  std::vector<std::string> parts;
  std::vector<Handle> held;
  std::filesystem::path folder;
  bool complete = true;

  [[nodiscard]] std::filesystem::path target() const { return folder / part_path(parts.back()); }
  [[nodiscard]] std::string shown() const { return shown_prefix(parts, parts.size()); }
};

Result<Parent> open_parent(const std::filesystem::path& site, std::string_view relative,
                           bool create) {
  auto parts = split_site_path(relative);
  if (!parts) {
    return std::unexpected(parts.error());
  }
  Parent parent{std::move(*parts), {}, site};
  if (create) {
    std::error_code error;
    std::filesystem::create_directories(site, error);
  }
  // The site folder itself may be a link of the operator's: followed, but held like the rest.
  Handle root(CreateFileW(site.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!root) {
    if (absent_error(GetLastError()) && !create) {
      parent.complete = false;
      return parent;
    }
    return fail("Cannot open the site folder.");
  }
  parent.held.push_back(std::move(root));
  for (std::size_t i = 0; i + 1 < parent.parts.size(); ++i) {
    const std::string shown = shown_prefix(parent.parts, i + 1);
    parent.folder /= part_path(parent.parts[i]);
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
    Handle next = open_as_itself(parent.folder, FILE_READ_ATTRIBUTES, kShare);
    if (!next && absent_error(GetLastError())) {
      if (!create) {
        parent.complete = false;
        return parent;
      }
      // CreateDirectoryW never follows a reparse point at the name; one there fails, and the
      // check below refuses it.
      if (!CreateDirectoryW(parent.folder.c_str(), nullptr) &&
          GetLastError() != ERROR_ALREADY_EXISTS) {
        return fail("Cannot create " + shown + " in the site.");
      }
      next = open_as_itself(parent.folder, FILE_READ_ATTRIBUTES, kShare);
    }
    if (!next) {
      return fail("Cannot open " + shown + " in the site.");
    }
    if (kind_of(next.get()) != Kind::folder) {
      return std::unexpected(not_a_plain_folder(shown));
    }
    parent.held.push_back(std::move(next));
  }
  return parent;
}

// Whether the last part is absent or a plain file, opened as itself.
Result<SiteEntry> entry_in(const Parent& parent) {
  const Handle file = open_as_itself(parent.target(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (!file) {
    if (absent_error(GetLastError())) {
      return SiteEntry::absent;
    }
    return fail("Cannot open " + parent.shown() + " in the site.");
  }
  if (kind_of(file.get()) != Kind::file) {
    return std::unexpected(not_a_plain_file(parent.shown()));
  }
  return SiteEntry::file;
}

bool write_all(HANDLE file, std::string_view content) {
  while (!content.empty()) {
    const auto piece = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1U << 20));
    DWORD written = 0;
    if (!WriteFile(file, content.data(), piece, &written, nullptr) || written == 0) {
      return false;
    }
    content.remove_prefix(written);
  }
  return true;
}

}  // namespace

SiteFile::~SiteFile() {
  if (handle_ != kClosed) {
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
  }
}

Result<std::size_t> SiteFile::read(std::span<char> buffer) {
  DWORD count = 0;
  const auto wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1U << 20));
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer.data(), wanted, &count, nullptr)) {
    return fail("read");
  }
  return static_cast<std::size_t>(count);
}

Result<SiteEntry> check_site_path(const std::filesystem::path& site, std::string_view relative) {
  const auto parent = open_parent(site, relative, false);
  if (!parent) {
    return std::unexpected(parent.error());
  }
  if (!parent->complete) {
    return SiteEntry::absent;
  }
  return entry_in(*parent);
}

Result<std::optional<SiteFile>> open_site_file(const std::filesystem::path& site,
                                               std::string_view relative) {
  const auto parent = open_parent(site, relative, false);
  if (!parent) {
    return std::unexpected(parent.error());
  }
  if (!parent->complete) {
    return std::nullopt;
  }
  Handle file = open_as_itself(parent->target(), GENERIC_READ, FILE_SHARE_READ);
  if (!file) {
    if (absent_error(GetLastError())) {
      return std::nullopt;
    }
    return fail("Cannot open " + parent->shown() + ".");
  }
  if (kind_of(file.get()) != Kind::file) {
    return std::unexpected(not_a_plain_file(parent->shown()));
  }
  return std::optional<SiteFile>(SiteFile(reinterpret_cast<std::intptr_t>(file.release())));
}

Status write_site_file(const std::filesystem::path& site, std::string_view relative,
                       std::string_view content) {
  const auto parent = open_parent(site, relative, true);
  if (!parent) {
    return std::unexpected(parent.error());
  }
  if (const auto entry = entry_in(*parent); !entry) {
    return std::unexpected(entry.error());
  }
  const auto temporary = parent->folder / part_path(temporary_name(parent->parts.back()));
  bool written = false;
  {
    // CREATE_NEW fails on any name that exists, a reparse point included: nothing is written
    // through a link.
    const Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
      return fail("Cannot write " + parent->shown() + ".");
    }
    written = write_all(file.get(), content) && FlushFileBuffers(file.get());
  }
  // MoveFileExW replaces whatever has the name, a reparse point included, and never writes
  // through it.
  if (!written ||
      !MoveFileExW(temporary.c_str(), parent->target().c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temporary.c_str());
    return fail("Cannot write " + parent->shown() + ".");
  }
  return {};
}

void remove_site_file(const std::filesystem::path& site, std::string_view relative) {
  const auto parent = open_parent(site, relative, false);
  if (parent && parent->complete && entry_in(*parent) == SiteEntry::file) {
    DeleteFileW(parent->target().c_str());
  }
}

}  // namespace borelu::release_tool

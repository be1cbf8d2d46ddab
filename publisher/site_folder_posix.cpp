// The site folder on POSIX systems: each part reached relative to its folder's descriptor, with
// O_NOFOLLOW, so that nothing swapped in after a check is ever followed.

#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>

#include "site_folder.h"

namespace borelu::release_tool {
namespace {

using namespace site_folder_detail;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  [[nodiscard]] int get() const { return fd_; }
  [[nodiscard]] int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// The folder that holds the last part of a path, reached part by part; nothing when a folder on
// the way is absent and `create` is false.
struct Parent {
  std::vector<std::string> parts;
  std::optional<Descriptor> folder;
};

Result<Parent> open_parent(const std::filesystem::path& site, std::string_view relative,
                           bool create) {
  auto parts = split_site_path(relative);
  if (!parts) {
    return std::unexpected(parts.error());
  }
  if (create) {
    std::error_code error;
    std::filesystem::create_directories(site, error);
  }
  Descriptor folder(::open(site.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) {
    if (errno == ENOENT && !create) {
      return Parent{std::move(*parts), std::nullopt};
    }
    return fail("Cannot open the site folder.");
  }
  for (std::size_t i = 0; i + 1 < parts->size(); ++i) {
    const std::string shown = shown_prefix(*parts, i + 1);
    const char* name = (*parts)[i].c_str();
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int next = ::openat(folder.get(), name, kFlags);
    if (next < 0 && errno == ENOENT) {
      if (!create) {
        return Parent{std::move(*parts), std::nullopt};
      }
      // mkdirat never follows a link at the name: a link there fails with EEXIST, and the open
      // below then refuses it.
      if (::mkdirat(folder.get(), name, 0777) != 0 && errno != EEXIST) {
        return fail("Cannot create " + shown + " in the site.");
      }
      next = ::openat(folder.get(), name, kFlags);
    }
    if (next < 0) {
      if (errno == ELOOP || errno == ENOTDIR) {
        return std::unexpected(not_a_plain_folder(shown));
      }
      return fail("Cannot open " + shown + " in the site.");
    }
    folder = Descriptor(next);
  }
  return Parent{std::move(*parts), std::move(folder)};
}

// Whether the last part is absent or a plain file, without following a link there.
Result<SiteEntry> entry_in(const Parent& parent) {
  struct stat status {};
  const auto& name = parent.parts.back();
  if (::fstatat(parent.folder->get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) {
      return SiteEntry::absent;
    }
    return fail("Cannot open " + shown_prefix(parent.parts, parent.parts.size()) + " in the site.");
  }
  if (!S_ISREG(status.st_mode)) {
    return std::unexpected(not_a_plain_file(shown_prefix(parent.parts, parent.parts.size())));
  }
  return SiteEntry::file;
}

Status write_all(int fd, std::string_view content) {
  while (!content.empty()) {
    const auto written = ::write(fd, content.data(), content.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return fail("write");
    }
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

}  // namespace

SiteFile::~SiteFile() {
  if (handle_ != kClosed) {
    ::close(static_cast<int>(handle_));
  }
}

Result<std::size_t> SiteFile::read(std::span<char> buffer) {
  while (true) {
    const auto count = ::read(static_cast<int>(handle_), buffer.data(), buffer.size());
    if (count >= 0) {
      return static_cast<std::size_t>(count);
    }
    if (errno != EINTR) {
      return fail("read");
    }
  }
}

Result<SiteEntry> check_site_path(const std::filesystem::path& site, std::string_view relative) {
  const auto parent = open_parent(site, relative, false);
  if (!parent) {
    return std::unexpected(parent.error());
  }
  if (!parent->folder) {
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
  if (!parent->folder) {
    return std::nullopt;
  }
  const std::string shown = shown_prefix(parent->parts, parent->parts.size());
  // O_NONBLOCK: a pipe planted at the name must not hold the tool; it is refused below.
  Descriptor file(::openat(parent->folder->get(), parent->parts.back().c_str(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) {
    if (errno == ENOENT) {
      return std::nullopt;
    }
    if (errno == ELOOP) {
      return std::unexpected(not_a_plain_file(shown));
    }
    return fail("Cannot open " + shown + ".");
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return std::unexpected(not_a_plain_file(shown));
  }
  const int flags = ::fcntl(file.get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return fail("Cannot open " + shown + ".");
  }
  return std::optional<SiteFile>(SiteFile(file.release()));
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
  const int folder = parent->folder->get();
  const std::string& name = parent->parts.back();
  const std::string shown = shown_prefix(parent->parts, parent->parts.size());
  const std::string temporary = temporary_name(name);
  Descriptor file(::openat(folder, temporary.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (file.get() < 0) {
    return fail("Cannot write " + shown + ".");
  }
  const bool written = write_all(file.get(), content).has_value() && ::fsync(file.get()) == 0 &&
                       ::close(file.release()) == 0;
  // renameat replaces whatever has the name, a link included, and never writes through it.
  if (!written || ::renameat(folder, temporary.c_str(), folder, name.c_str()) != 0) {
    ::unlinkat(folder, temporary.c_str(), 0);
    return fail("Cannot write " + shown + ".");
  }
  return {};
}

void remove_site_file(const std::filesystem::path& site, std::string_view relative) {
  const auto parent = open_parent(site, relative, false);
  if (parent && parent->folder && entry_in(*parent) == SiteEntry::file) {
    ::unlinkat(parent->folder->get(), parent->parts.back().c_str(), 0);
  }
}

}  // namespace borelu::release_tool

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/failure.h"

namespace borelu::release_tool {

// The site folder as the tool reads and writes it. Whoever can write in the site could plant a
// link at a name the tool writes (or make a folder on the way a link) and have the operator's
// tool overwrite a file of their choosing, the signing seed among them. So every folder below the
// site and every file the tool touches is reached without following links and must prove to be a
// plain folder or a plain file; a new file is created new under a random name, never through a
// link, and renamed into place. The site folder itself is the operator's choice and is taken as
// given. Paths are relative to the site, their parts separated by "/".

enum class SiteEntry { absent, file };

// What is at `relative` (absent when a folder on the way is absent), or a refusal when a folder on
// the way or the file itself is a link or not a plain folder or file.
[[nodiscard]] Result<SiteEntry> check_site_path(const std::filesystem::path& site,
                                                std::string_view relative);

// A plain file of the site, open for reading.
class SiteFile {
 public:
  explicit SiteFile(std::intptr_t handle) : handle_(handle) {}
  SiteFile(SiteFile&& other) noexcept : handle_(std::exchange(other.handle_, kClosed)) {}
  SiteFile(const SiteFile&) = delete;
  SiteFile& operator=(const SiteFile&) = delete;
  SiteFile& operator=(SiteFile&&) = delete;
  ~SiteFile();

  // Up to `buffer.size()` bytes; 0 at the end of the file.
  [[nodiscard]] Result<std::size_t> read(std::span<char> buffer);

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_;
};

// The file at `relative`, or nothing when it is absent; refused as `check_site_path` refuses.
[[nodiscard]] Result<std::optional<SiteFile>> open_site_file(const std::filesystem::path& site,
                                                             std::string_view relative);

// Writes `content` at `relative`: the folders on the way created where absent, the bytes written
// to a file created new beside the target under a random name, which then takes the target's
// name whole and at once. On failure the temporary file is gone.
[[nodiscard]] Status write_site_file(const std::filesystem::path& site, std::string_view relative,
                                     std::string_view content);

// Removes the file at `relative` if it is a plain file of the site.
void remove_site_file(const std::filesystem::path& site, std::string_view relative);

namespace site_folder_detail {

// The parts of `relative`, or nothing for an empty, ".", ".." or empty part.
[[nodiscard]] Result<std::vector<std::string>> split_site_path(std::string_view relative);

// The text naming the first `count` parts of a path.
[[nodiscard]] std::string shown_prefix(const std::vector<std::string>& parts, std::size_t count);

[[nodiscard]] Failure not_a_plain_folder(const std::string& shown);
[[nodiscard]] Failure not_a_plain_file(const std::string& shown);

// "NAME." and 16 random hex digits and ".publishing": a new name for each write.
[[nodiscard]] std::string temporary_name(std::string_view name);

}  // namespace site_folder_detail

}  // namespace borelu::release_tool

#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/failure.h"
#include "win/handles.h"

namespace borelu::win {

// File operations without a step label: failures carry only the system error text.

inline constexpr std::size_t NO_READ_LIMIT = static_cast<std::size_t>(-1);

// Takes one piece of what is read.
using PieceSink = std::function<Status(std::span<const unsigned char> piece)>;

// Reads through an open handle from its current position to the end, or to `limit` bytes, in
// pieces of at most READ_CHUNK bytes, handing each to `take`. A read error (as its system error
// text) or a failure of `take` ends it.
[[nodiscard]] Status read_pieces(HANDLE file, const PieceSink& take,
                                 std::size_t limit = NO_READ_LIMIT);

// What can be read through an open handle from its current position, up to `limit` bytes.
[[nodiscard]] Result<std::string> read_all(HANDLE file, std::size_t limit = NO_READ_LIMIT);

// The whole file (or its first `limit` bytes), opened for reading with other readers allowed.
[[nodiscard]] Result<std::string> read_whole_file(std::string_view path,
                                                  std::size_t limit = NO_READ_LIMIT);

// The whole file (or its first `limit` bytes), opened for reading with other readers allowed;
// nothing when the file or its folder does not exist. Every other failure to open or read it is
// `label` with the system error: a file that someone holds open is not a missing file.
[[nodiscard]] Result<std::optional<std::string>> read_existing_file(std::string_view path,
                                                                    std::size_t limit,
                                                                    std::string_view label);

// Writes all of `bytes` through an open handle.
[[nodiscard]] Status write_all(HANDLE file, std::string_view bytes);

// Writes the whole content of the file at `source` (opened for reading, other readers allowed)
// through an open handle.
[[nodiscard]] Status write_file_content(HANDLE file, std::string_view source);

// Creates a file that must not exist yet and opens it for writing, shared with nobody.
[[nodiscard]] Result<FileHandle> create_new_file(std::string_view path);

// Flushes what was written through the handle to the disk.
[[nodiscard]] Status flush_to_disk(HANDLE file);

// Writes what a file holds through an open handle.
using FileFill = std::function<Status(HANDLE file)>;

// Replaces the file at `path` whole and at once: `fill` writes the new content into a new file
// beside it ("<name>.new"; one left by an interrupted replacement is removed first), which is
// flushed to disk, handed to `prepare` when one is given (to check it or stamp an access rule on
// it), and renamed over `path`. Whatever happens meanwhile, a crash included, `path` holds its
// old content or the new, never part of either; a link at `path` is replaced, never written
// through. On a failure the new file is removed.
[[nodiscard]] Status replace_file(
    std::string_view path, const FileFill& fill,
    const std::function<Status(std::string_view new_file)>& prepare = nullptr);

// replace_file through a new file of the caller's own, `new_file`, which must not exist yet, for
// a file that several processes may replace at the same time: each writes its own new file, and
// none removes or renames another's.
[[nodiscard]] Status replace_file_through(
    std::string_view path, std::string_view new_file, const FileFill& fill,
    const std::function<Status(std::string_view new_file)>& prepare = nullptr);

// replace_file with `bytes` as the new content.
[[nodiscard]] Status replace_file_with(
    std::string_view path, std::string_view bytes,
    const std::function<Status(std::string_view new_file)>& prepare = nullptr);

// Creates or truncates the file and writes `bytes` whole.
[[nodiscard]] Status write_whole_file(std::string_view path, std::string_view bytes);

// Creates the folder and any missing parents; an existing folder is fine.
[[nodiscard]] Status create_directories(std::string_view path);

// The names of the folders directly inside `folder`; an error lists nothing.
[[nodiscard]] std::vector<std::string> subfolder_names(std::string_view folder);

// Whether two files hold the same bytes; false when either cannot be read.
[[nodiscard]] bool same_file_content(std::string_view first, std::string_view second);

// The final path of an open file or folder as the system resolves it (links followed, long
// names, "\\?\" prefix included), or nothing.
[[nodiscard]] std::optional<std::wstring> final_path_of(HANDLE file);

// Whether two final paths name the same place: ASCII letters folded, everything else exact.
[[nodiscard]] bool same_final_path(std::wstring_view first, std::wstring_view second);

// The path's attributes, or INVALID_FILE_ATTRIBUTES with the thread's last error set.
[[nodiscard]] DWORD path_attributes(std::string_view path);

}  // namespace borelu::win

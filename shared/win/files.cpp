#include "win/files.h"

#include <algorithm>
#include <vector>

#include "core/ascii_case.h"
#include "core/path_text.h"
#include "core/read_chunk.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::win {

Status read_pieces(HANDLE file, const PieceSink& take, std::size_t limit) {
  std::vector<unsigned char> buffer(READ_CHUNK);
  for (std::size_t total = 0; total < limit;) {
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(std::min(buffer.size(), limit - total));
    if (!ReadFile(file, buffer.data(), wanted, &got, nullptr)) {
      return std::unexpected(last_os_failure());
    }
    if (got == 0) {
      break;
    }
    total += got;
    if (auto taken = take(std::span(buffer).first(got)); !taken) {
      return taken;
    }
  }
  return {};
}

Result<std::string> read_all(HANDLE file, std::size_t limit) {
  std::string content;
  auto read = read_pieces(
      file,
      [&](std::span<const unsigned char> piece) -> Status {
        content.append(reinterpret_cast<const char*>(piece.data()), piece.size());
        return {};
      },
      limit);
  if (!read) {
    return std::unexpected(read.error());
  }
  return content;
}

Result<std::string> read_whole_file(std::string_view path, std::size_t limit) {
  const FileHandle file(CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return std::unexpected(last_os_failure());
  }
  return read_all(file.get(), limit);
}

Result<std::optional<std::string>> read_existing_file(std::string_view path, std::size_t limit,
                                                      std::string_view label) {
  const FileHandle file(CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return std::optional<std::string>();
    }
    return std::unexpected(os_failure(label, error));
  }
  auto bytes = read_all(file.get(), limit);
  if (!bytes) {
    return std::unexpected(Failure(std::string(label) + ": " + bytes.error().text()));
  }
  return std::optional<std::string>(std::move(*bytes));
}

Status write_all(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const auto piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    if (!WriteFile(file, bytes.data(), piece, &written, nullptr)) {
      return std::unexpected(last_os_failure());
    }
    if (written == 0) {
      // Reported as done with nothing written (a full non-blocking pipe does this): trying
      // again would never end.
      return std::unexpected(os_failure(ERROR_WRITE_FAULT));
    }
    bytes.remove_prefix(written);
  }
  return {};
}

Status write_file_content(HANDLE file, std::string_view source) {
  const FileHandle copy(CreateFileW(widen(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!copy) {
    return std::unexpected(last_os_failure());
  }
  return read_pieces(copy.get(), [&](std::span<const unsigned char> piece) {
    return write_all(file,
                     std::string_view(reinterpret_cast<const char*>(piece.data()), piece.size()));
  });
}

Result<FileHandle> create_new_file(std::string_view path) {
  FileHandle file(CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return std::unexpected(last_os_failure());
  }
  return file;
}

Status flush_to_disk(HANDLE file) {
  if (!FlushFileBuffers(file)) {
    return std::unexpected(last_os_failure());
  }
  return {};
}

Status replace_file(std::string_view path, const FileFill& fill,
                    const std::function<Status(std::string_view new_file)>& prepare) {
  const std::string new_file = std::string(path) + ".new";
  DeleteFileW(widen(new_file).c_str());  // a link left there goes as a link
  return replace_file_through(path, new_file, fill, prepare);
}

Status replace_file_through(std::string_view path, std::string_view new_file, const FileFill& fill,
                            const std::function<Status(std::string_view new_file)>& prepare) {
  const std::wstring wide_new = widen(new_file);
  const auto discard = [&](Failure failure) -> Status {
    DeleteFileW(wide_new.c_str());
    return std::unexpected(std::move(failure));
  };
  auto file = create_new_file(new_file);
  if (!file) {
    return std::unexpected(file.error());
  }
  Status written = fill(file->get());
  if (written) {
    written = flush_to_disk(file->get());
  }
  file->reset();  // closed before it is renamed or removed
  if (!written) {
    return discard(written.error());
  }
  if (prepare) {
    if (auto prepared = prepare(new_file); !prepared) {
      return discard(prepared.error());
    }
  }
  // A file that someone holds open is reported as in use, as writing into it would report it;
  // the rename over it would only say that access is denied.
  const std::wstring wide_path = widen(path);
  if (!FileHandle(CreateFileW(wide_path.c_str(), DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)) &&
      GetLastError() == ERROR_SHARING_VIOLATION) {
    return discard(os_failure(ERROR_SHARING_VIOLATION));
  }
  if (!MoveFileExW(wide_new.c_str(), wide_path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return discard(last_os_failure());
  }
  return {};
}

Status replace_file_with(std::string_view path, std::string_view bytes,
                         const std::function<Status(std::string_view new_file)>& prepare) {
  return replace_file(
      path, [&](HANDLE file) { return write_all(file, bytes); }, prepare);
}

Status write_whole_file(std::string_view path, std::string_view bytes) {
  const FileHandle file(CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return std::unexpected(last_os_failure());
  }
  return write_all(file.get(), bytes);
}

Status create_directories(std::string_view path) {
  const DWORD attributes = path_attributes(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return {};
  }
  if (const auto parent = parent_path(path)) {
    if (auto made = create_directories(*parent); !made) {
      return made;
    }
  }
  if (!CreateDirectoryW(widen(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return std::unexpected(last_os_failure());
  }
  return {};
}

std::vector<std::string> subfolder_names(std::string_view folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const FindHandle search(FindFirstFileExW(widen(join_path(folder, "*")).c_str(), FindExInfoBasic,
                                           &found, FindExSearchLimitToDirectories, nullptr, 0));
  if (!search) {
    return names;
  }
  do {
    const std::wstring_view name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." && name != L"..") {
      names.push_back(narrow(name));
    }
  } while (FindNextFileW(search.get(), &found));
  return names;
}

bool same_file_content(std::string_view first, std::string_view second) {
  const auto open = [](std::string_view path) {
    return FileHandle(CreateFileW(widen(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  };
  const FileHandle one = open(first);
  const FileHandle other = open(second);
  LARGE_INTEGER one_size{};
  LARGE_INTEGER other_size{};
  if (!one || !other || !GetFileSizeEx(one.get(), &one_size) ||
      !GetFileSizeEx(other.get(), &other_size) || one_size.QuadPart != other_size.QuadPart) {
    return false;
  }
  std::vector<unsigned char> theirs(READ_CHUNK);
  const auto compared = read_pieces(one.get(), [&](std::span<const unsigned char> piece) -> Status {
    DWORD got = 0;
    if (!ReadFile(other.get(), theirs.data(), static_cast<DWORD>(piece.size()), &got, nullptr) ||
        got != piece.size() || !std::equal(piece.begin(), piece.end(), theirs.begin())) {
      return fail("different");
    }
    return {};
  });
  return compared.has_value();
}

std::optional<std::wstring> final_path_of(HANDLE file) {
  std::wstring buffer(32768, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(
      file, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
  if (length == 0 || length >= buffer.size()) {
    return std::nullopt;
  }
  buffer.resize(length);
  return buffer;
}

bool same_final_path(std::wstring_view first, std::wstring_view second) {
  return equal_ignoring_ascii_case(first, second);
}

DWORD path_attributes(std::string_view path) {
  return GetFileAttributesW(widen(path).c_str());
}

}  // namespace borelu::win

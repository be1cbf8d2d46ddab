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
    bytes.remove_prefix(written);
  }
  return {};
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

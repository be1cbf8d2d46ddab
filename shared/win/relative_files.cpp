#include "win/relative_files.h"

#include <winternl.h>

#include "win/files.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::win {
namespace {

// Whoever serves an open (a redirector, a named pipe's server) may learn who asks, never act as
// this process.
SECURITY_QUALITY_OF_SERVICE identification_only() {
  return {.Length = sizeof(SECURITY_QUALITY_OF_SERVICE),
          .ImpersonationLevel = SecurityIdentification,
          .ContextTrackingMode = SECURITY_STATIC_TRACKING,
          .EffectiveOnly = FALSE};
}

// The disposition with flags of Windows 10 1607 and later (FILE_INFO_BY_HANDLE_CLASS value 21,
// FILE_DISPOSITION_INFO_EX), which the headers declare only for a newer target than ours.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x1;
constexpr DWORD kDispositionPosixSemantics = 0x2;
struct DispositionInfoEx {
  DWORD Flags;
};

bool is_single_name(std::wstring_view name) {
  return !name.empty() && name != L"." && name != L".." &&
         name.find_first_of(L"\\/:") == std::wstring_view::npos &&
         name.size() * sizeof(wchar_t) <= 0xFFFE;
}

}  // namespace

Result<FileHandle> open_folder_unfollowed(std::string_view path, DWORD extra) {
  FileHandle folder(CreateFileW(widen(path).c_str(),
                                FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE | extra,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT |
                                    SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                                nullptr));
  if (!folder) {
    return std::unexpected(last_os_failure());
  }
  return folder;
}

Result<FileHandle> open_child(HANDLE folder, std::wstring_view name, ChildKind kind,
                              const ChildAccess& how) {
  if (!is_single_name(name)) {
    return std::unexpected(os_failure(ERROR_INVALID_NAME));
  }
  UNICODE_STRING object_name{};
  object_name.Buffer = const_cast<wchar_t*>(name.data());
  object_name.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  object_name.MaximumLength = object_name.Length;
  SECURITY_QUALITY_OF_SERVICE quality = identification_only();
  OBJECT_ATTRIBUTES attributes{};
  InitializeObjectAttributes(&attributes, &object_name, OBJ_CASE_INSENSITIVE, folder, nullptr);
  attributes.SecurityQualityOfService = &quality;
  IO_STATUS_BLOCK io{};
  HANDLE opened = nullptr;
  const ULONG options = (how.throughFilter ? 0 : FILE_OPEN_REPARSE_POINT) |
                        FILE_SYNCHRONOUS_IO_NONALERT |
                        (kind == ChildKind::folder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE);
  const NTSTATUS status = NtCreateFile(&opened, how.access | SYNCHRONIZE, &attributes, &io, nullptr,
                                       0, how.share, FILE_OPEN, options, nullptr, 0);
  if (status < 0) {
    return std::unexpected(os_failure(RtlNtStatusToDosError(status)));
  }
  return FileHandle(opened);
}

Result<std::vector<ChildEntry>> child_entries(HANDLE folder) {
  std::vector<ChildEntry> entries;
  // Aligned for the entries' fields; each call fills it with as many entries as fit.
  std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
  auto info_class = FileIdBothDirectoryRestartInfo;
  while (GetFileInformationByHandleEx(folder, info_class, buffer.data(),
                                      static_cast<DWORD>(buffer.size() * sizeof(ULONGLONG)))) {
    info_class = FileIdBothDirectoryInfo;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    for (std::size_t offset = 0;;) {
      const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + offset);
      const std::wstring_view name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") {
        entries.push_back({std::wstring(name), entry->FileAttributes});
      }
      if (entry->NextEntryOffset == 0) {
        break;
      }
      offset += entry->NextEntryOffset;
    }
  }
  if (GetLastError() != ERROR_NO_MORE_FILES) {
    return std::unexpected(last_os_failure());
  }
  return entries;
}

Status delete_through(HANDLE handle) {
  // POSIX semantics take the name away at once, even while others hold the file open; file
  // systems and systems without them (before Windows 10 1709, FAT, Wine) refuse the class or the
  // flag, and the classic disposition deletes the file once every handle to it is closed.
  DispositionInfoEx posix{kDispositionDelete | kDispositionPosixSemantics};
  if (SetFileInformationByHandle(handle, kFileDispositionInfoEx, &posix, sizeof posix)) {
    return {};
  }
  FILE_DISPOSITION_INFO classic{TRUE};
  if (!SetFileInformationByHandle(handle, FileDispositionInfo, &classic, sizeof classic)) {
    return std::unexpected(last_os_failure());
  }
  return {};
}

bool is_named_child(HANDLE folder, HANDLE child, std::wstring_view name) {
  const auto folder_final = final_path_of(folder);
  const auto child_final = final_path_of(child);
  if (!folder_final || !child_final) {
    return false;
  }
  std::wstring expected = *folder_final;
  if (!expected.empty() && expected.back() != L'\\') {
    expected.push_back(L'\\');
  }
  expected.append(name);
  return same_final_path(*child_final, expected);
}

bool is_plain_child_file(HANDLE folder, HANDLE file, std::wstring_view name) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1 &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
         !is_reparse_point(file) && is_named_child(folder, file, name);
}

bool same_file(HANDLE first, HANDLE second) {
  BY_HANDLE_FILE_INFORMATION one{};
  BY_HANDLE_FILE_INFORMATION other{};
  return GetFileInformationByHandle(first, &one) && GetFileInformationByHandle(second, &other) &&
         one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
         one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

bool is_reparse_point(HANDLE handle) {
  FILE_ATTRIBUTE_TAG_INFO tag{};
  return !GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) ||
         (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace borelu::win

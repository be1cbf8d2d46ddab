#include "win/timeline.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "win/handles.h"
#include "win/relative_files.h"

namespace borelu::win::timeline::detail {
namespace {

FileHandle open_timeline_file() {
  wchar_t path[MAX_PATH + 1] = {};
  const std::wstring name(VARIABLE);
  const DWORD length = GetEnvironmentVariableW(name.c_str(), path, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) {
    return FileHandle();
  }
  FileHandle opened(CreateFileW(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT |
                                    SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                                nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!opened || is_reparse_point(opened.get()) ||
      !GetFileInformationByHandle(opened.get(), &info) || info.nNumberOfLinks != 1 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return FileHandle();
  }
  return opened;
}

// The file named by BORELU_TIMELINE, opened once for appending, shared with the other processes
// of the run; none (and so no marks) without the variable, when it cannot be opened, or when it
// is not an ordinary file reached as itself: the worker of a test build runs elevated, and the
// name comes from the user's environment. A release build never reads the variable.
const FileHandle& timeline_file() {
  static const FileHandle file = [] {
    if constexpr (!build::TEST_BUILD) {
      return FileHandle();
    } else {
      return open_timeline_file();
    }
  }();
  return file;
}

std::int64_t microseconds_now() {
  static const std::int64_t frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return counter.QuadPart / frequency * 1'000'000 +
         counter.QuadPart % frequency * 1'000'000 / frequency;
}

}  // namespace

bool file_open() {
  static const bool on = static_cast<bool>(timeline_file());
  return on;
}

void write_mark(std::string_view kind, std::string_view name) {
  char prefix[80];
  const int length = std::snprintf(prefix, sizeof prefix, "%lld %lu %lu ",
                                   static_cast<long long>(microseconds_now()),
                                   static_cast<unsigned long>(GetCurrentProcessId()),
                                   static_cast<unsigned long>(GetCurrentThreadId()));
  std::string line(prefix, static_cast<std::size_t>(length));
  line.append(kind).append(" ").append(name).append("\n");
  // One write per line: appends from several processes land whole, one after another.
  DWORD written = 0;
  WriteFile(timeline_file().get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace borelu::win::timeline::detail

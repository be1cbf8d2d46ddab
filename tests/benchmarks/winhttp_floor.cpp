// The floor that Wine's WinHTTP sets for a download: the same requests as the setup program makes
// (one session, connection and request per body, the same options), each body read into one
// reused 64 KiB buffer. Run by tests/benchmarks/benchmark_download.sh:
//   borelu_winhttp_floor.exe HOST OBJECT_PATH...             bodies only read
//   borelu_winhttp_floor.exe --to FOLDER HOST OBJECT_PATH... each body also written to a file in
//     FOLDER, flushed to disk, then read back in 64 KiB pieces through the program's SHA-256: the
//     least that a download which must flush and re-read every byte can cost
//   borelu_winhttp_floor.exe --session-only                  one WinHTTP session opened and
//     closed, no request: what loading WinHTTP costs before any connection
// Prints the bytes read, the time and the peak working set, in the form the download benchmark
// prints them.

#include <windows.h>
#include <psapi.h>
#include <winhttp.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "crypto/sha256.h"

namespace {

// One GET over HTTPS on port 443, the body written to `file` when there is one; the number of
// body bytes, or -1.
long long read_body(const wchar_t* host, const wchar_t* path, std::vector<unsigned char>& buffer,
                    HANDLE file) {
  HINTERNET session = WinHttpOpen(L"Borelu/1 WebInstaller", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  WinHttpSetTimeouts(session, 3000, 5000, 10000, 20000);
  HINTERNET connection = WinHttpConnect(session, host, INTERNET_DEFAULT_HTTPS_PORT, 0);
  HINTERNET request = WinHttpOpenRequest(connection, L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE);
  DWORD disabled = 7;
  WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &disabled, sizeof disabled);
  long long total = -1;
  if (WinHttpSendRequest(request, L"Cache-Control: no-cache\r\n", static_cast<DWORD>(-1L),
                         WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
      WinHttpReceiveResponse(request, nullptr)) {
    total = 0;
    DWORD got = 0;
    while (WinHttpReadData(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got) &&
           got != 0) {
      DWORD written = 0;
      if (file != INVALID_HANDLE_VALUE &&
          (!WriteFile(file, buffer.data(), got, &written, nullptr) || written != got)) {
        total = -1;
        break;
      }
      total += got;
    }
  }
  WinHttpCloseHandle(request);
  WinHttpCloseHandle(connection);
  WinHttpCloseHandle(session);
  return total;
}

// Flushes the file, reads it back in 64 KiB pieces through SHA-256 and prints nothing: the
// digest's first byte is returned so that the work cannot be left out.
int flush_and_hash(HANDLE file, const std::wstring& path, std::vector<unsigned char>& buffer) {
  if (!FlushFileBuffers(file)) {
    return -1;
  }
  CloseHandle(file);
  HANDLE back = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (back == INVALID_HANDLE_VALUE) {
    return -1;
  }
  borelu::crypto::Sha256 digest;
  DWORD got = 0;
  while (ReadFile(back, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
         got != 0) {
    digest.update({buffer.data(), got});
  }
  const int first = digest.finish()[0];
  CloseHandle(back);
  DeleteFileW(path.c_str());
  return first;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"--session-only") {
    WinHttpCloseHandle(WinHttpOpen(L"Borelu/1 WebInstaller", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                   WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    std::printf("session: peak working set %.1f MiB\n", counters.PeakWorkingSetSize / 1048576.0);
    return 0;
  }
  int next = 1;
  std::wstring folder;
  if (argc > 2 && std::wstring(argv[1]) == L"--to") {
    folder = argv[2];
    next = 3;
  }
  if (argc < next + 2) {
    std::printf("usage: borelu_winhttp_floor [--to FOLDER] HOST OBJECT_PATH...\n");
    return 2;
  }
  std::vector<unsigned char> buffer(65536);
  const auto start = std::chrono::steady_clock::now();
  unsigned long long total = 0;
  for (int i = next + 1; i < argc; ++i) {
    const std::wstring path = folder + L"\\body-" + std::to_wstring(i) + L".bin";
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!folder.empty()) {
      file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        std::printf("cannot create %ls\n", path.c_str());
        return 1;
      }
    }
    const long long got = read_body(argv[next], argv[i], buffer, file);
    if (got < 0 || (file != INVALID_HANDLE_VALUE && flush_and_hash(file, path, buffer) < 0)) {
      std::printf("request %ls failed\n", argv[i]);
      return 1;
    }
    total += static_cast<unsigned long long>(got);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  std::printf("%s: %llu bytes in %.3f s, peak working set %.1f MiB\n",
              folder.empty() ? "read" : "read, flushed, hashed", total, seconds,
              counters.PeakWorkingSetSize / 1048576.0);
  return 0;
}

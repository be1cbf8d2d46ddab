// Test double of the release's "BoreluService.exe". Started with "--install --owner-sid SID" it
// plays the service installer: it copies the release files from its own folder into Program
// Files\Borelu and writes "blocking-policy.json" for the owner with the files' digests. (It does
// not register a Windows service yet.) Tests choose other behaviour through BORELU_TEST_INSTALLER:
//   (unset)          the installation above, exit 0
//   partial-copy     copies only Borelu.exe and reports success
//   silent-failure   exit 1 with nothing on standard error
//   noisy-failure    5000 bytes on standard error (with line breaks and tabs), 200 KB on standard
//                    output, exit 7
//   chatty-success   300 KB on standard output and 100 KB on standard error, exit 0: a caller
//                    that reads only one pipe at a time would stall on the other

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "crypto/sha256.h"

namespace {

void write_all(HANDLE stream, const std::string& bytes) {
  DWORD written = 0;
  for (std::size_t done = 0; done < bytes.size(); done += written) {
    if (!WriteFile(stream, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                   nullptr)) {
      return;
    }
  }
}

std::string mode() {
  char value[64] = {};
  const DWORD length = GetEnvironmentVariableA("BORELU_TEST_INSTALLER", value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::wstring own_folder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring installation_folder() {
  wchar_t* program_files = nullptr;
  SHGetKnownFolderPath(FOLDERID_ProgramFiles, 0, nullptr, &program_files);
  std::wstring folder = std::wstring(program_files) + L"\\Borelu";
  CoTaskMemFree(program_files);
  return folder;
}

std::string digest_of(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return borelu::crypto::sha256_hex(
      {reinterpret_cast<const unsigned char*>(content.data()), content.size()});
}

int install(const wchar_t* owner_sid, bool partial) {
  const std::wstring from = own_folder();
  const std::wstring to = installation_folder();
  CreateDirectoryW(to.c_str(), nullptr);
  for (const wchar_t* name : {L"Borelu.exe", L"BoreluService.exe", L"BoreluUpdater.exe"}) {
    if (!CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE)) {
      std::fprintf(stderr, "copy failed: %lu\n", GetLastError());
      return 3;
    }
    if (partial)
      return 0;
  }
  std::string sid;
  for (const wchar_t* c = owner_sid; *c != 0; ++c)
    sid.push_back(static_cast<char>(*c));
  const std::string policy = "{\"version\":1,\"owner_sid\":\"" + sid + "\",\"client_sha256\":\"" +
                             digest_of(to + L"\\Borelu.exe") + "\",\"service_sha256\":\"" +
                             digest_of(to + L"\\BoreluService.exe") + "\"}";
  std::ofstream(std::filesystem::path(to + L"\\blocking-policy.json"),
                std::ios::binary | std::ios::trunc)
      << policy;
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  const std::string behaviour = mode();
  if (behaviour == "silent-failure") {
    return 1;
  }
  if (behaviour == "noisy-failure") {
    std::string noise;
    while (noise.size() < 5000)
      noise += "install step failed:\r\n\tcode 42; ";
    noise.resize(5000);
    write_all(out, std::string(200 * 1024, 'o'));
    write_all(err, noise);
    return 7;
  }
  if (behaviour == "chatty-success") {
    write_all(out, std::string(300 * 1024, 'o'));
    write_all(err, std::string(100 * 1024, 'e'));
    return 0;
  }
  if (argc == 4 && std::wstring_view(argv[1]) == L"--install" &&
      std::wstring_view(argv[2]) == L"--owner-sid") {
    return install(argv[3], behaviour == "partial-copy");
  }
  std::printf("BoreluService test double, %d argument(s)\n", argc - 1);
  for (int i = 1; i < argc; ++i) {
    std::wprintf(L"  %ls\n", argv[i]);
  }
  return 0;
}

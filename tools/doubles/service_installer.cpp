// Test double of the release's "BoreluService.exe". Started with "--install --owner-sid SID" it
// plays the service installer; tests choose its behaviour through BORELU_TEST_INSTALLER:
//   (unset)          success, exit 0
//   silent-failure   exit 1 with nothing on standard error
//   noisy-failure    5000 bytes on standard error (with line breaks and tabs), 200 KB on standard
//                    output, exit 7
//   chatty-success   300 KB on standard output and 100 KB on standard error, exit 0: a caller
//                    that reads only one pipe at a time would stall on the other

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

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
  std::printf("BoreluService test double, %d argument(s)\n", argc - 1);
  for (int i = 1; i < argc; ++i) {
    std::wprintf(L"  %ls\n", argv[i]);
  }
  return 0;
}

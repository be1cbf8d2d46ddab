#include "standard_error.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace borelu {
namespace {

// The exit code the C runtime's abort uses; distinct from the worker's own 0 and 1.
constexpr UINT kAbnormalExitCode = 3;

}  // namespace

void write_standard_error_line(std::string_view message) {
  const HANDLE stream = GetStdHandle(STD_ERROR_HANDLE);
  if (stream == nullptr || stream == INVALID_HANDLE_VALUE) {
    return;
  }
  std::string line(message);
  line.push_back('\n');
  std::string_view rest = line;
  while (!rest.empty()) {
    DWORD written = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 1 << 20));
    if (!WriteFile(stream, rest.data(), piece, &written, nullptr) || written == 0) {
      TerminateProcess(GetCurrentProcess(), kAbnormalExitCode);
    }
    rest.remove_prefix(written);
  }
}

}  // namespace borelu

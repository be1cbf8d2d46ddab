#include "win/random.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "core/hex.h"
#include "win/handles.h"
#include "win/system_error.h"

extern "C" ULONG WINAPI RtlNtStatusToDosError(LONG status);

namespace borelu::win {
namespace {

using ProcessPrngFunction = BOOL(WINAPI*)(PBYTE, SIZE_T);

// Loaded once and kept for the life of the process: the module is a system DLL.
ProcessPrngFunction process_prng() {
  static const ProcessPrngFunction function = [] {
    HMODULE module = LoadLibraryExW(L"bcryptprimitives.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
      return ProcessPrngFunction{};
    }
    return reinterpret_cast<ProcessPrngFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "ProcessPrng")));
  }();
  return function;
}

}  // namespace

Status fill_random(std::span<unsigned char> bytes) {
  if (const auto prng = process_prng()) {
    prng(bytes.data(), bytes.size());  // documented never to fail
    return {};
  }
  const NTSTATUS status = BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                                          BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (status < 0) {
    return std::unexpected(os_failure("Generate random name", RtlNtStatusToDosError(status)));
  }
  return {};
}

Result<std::string> random_hex(std::size_t count) {
  std::vector<unsigned char> bytes(count);
  if (auto filled = fill_random(bytes); !filled) {
    return std::unexpected(filled.error());
  }
  return to_lower_hex(bytes);
}

}  // namespace borelu::win

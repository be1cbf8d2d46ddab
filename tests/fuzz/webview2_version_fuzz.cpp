// The WebView2 runtime's "pv" registry value, as any installer may have left it: raw bytes of
// any length and alignment.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "webview2/runtime_version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly the value's size, so reading one byte too far is caught.
  const std::vector<std::byte> value(reinterpret_cast<const std::byte*>(data),
                                     reinterpret_cast<const std::byte*>(data) + size);
  (void)borelu::webview2::is_usable_version(std::span(value.data(), value.size()));
  return 0;
}

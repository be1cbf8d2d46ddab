#include "webview2/webview2.h"

#include <windows.h>

#include <algorithm>
#include <array>

#include "webview2/runtime_version.h"
#include "win/text.h"
#include "windows/owner_sid.h"

namespace borelu::webview2 {
namespace {

constexpr DWORD kVersionBufferBytes = 256;

bool usable_value(HKEY root, const std::wstring& key, DWORD flags) {
  std::array<std::byte, kVersionBufferBytes> buffer{};
  DWORD size = kVersionBufferBytes;
  if (RegGetValueW(root, key.c_str(), L"pv", flags, nullptr, buffer.data(), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  return is_usable_version(std::span(buffer.data(), std::min<DWORD>(size, kVersionBufferBytes)));
}

}  // namespace

bool is_webview2_present(std::string_view owner_sid) {
  if (!blocking::is_valid_owner_sid(owner_sid)) {
    return false;
  }
  if (usable_value(HKEY_LOCAL_MACHINE, std::wstring(CLIENT_KEY),
                   RRF_RT_REG_SZ | RRF_SUBKEY_WOW6432KEY)) {
    return true;
  }
  return usable_value(HKEY_USERS, win::widen(owner_sid) + L"\\" + std::wstring(CLIENT_KEY),
                      RRF_RT_REG_SZ);
}

}  // namespace borelu::webview2

#include "win/system_error.h"

#include "win/handles.h"
#include "win/text.h"

namespace borelu::win {
namespace {

std::string system_message(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const LocalMemory owner(buffer);
  if (length == 0 || buffer == nullptr) {
    return "Unknown error";
  }
  std::wstring_view text(buffer, length);
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t' || text.back() == L'\r' ||
                           text.back() == L'\n' || text.back() == L'\v' || text.back() == L'\f')) {
    text.remove_suffix(1);
  }
  return narrow(text);
}

}  // namespace

std::string system_error_text(DWORD code) {
  return system_message(code) + " (os error " + std::to_string(code) + ")";
}

Failure os_failure(std::string_view label, DWORD code) {
  std::string text(label);
  text += ": ";
  text += system_error_text(code);
  return Failure(std::move(text));
}

Failure os_failure(DWORD code) {
  return Failure(system_error_text(code));
}

Failure last_os_failure(std::string_view label) {
  return os_failure(label, GetLastError());
}

Failure last_os_failure() {
  return os_failure(GetLastError());
}

}  // namespace borelu::win

#include "win/system_error.h"

#include "win/handles.h"
#include "win/text.h"

namespace borelu::win {
namespace {

// WinHTTP's own codes (WINHTTP_ERROR_BASE + 1 onwards): their texts are in winhttp.dll's message
// table, not the system's.
constexpr DWORD kWinHttpFirst = 12001;
constexpr DWORD kWinHttpLast = 12200;

// The message for `code` from one table, trailing white space removed; empty when it has none.
std::string table_message(DWORD code, DWORD source_flag, HMODULE module) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | source_flag | FORMAT_MESSAGE_IGNORE_INSERTS,
                     module, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const LocalMemory owner(buffer);
  if (length == 0 || buffer == nullptr) {
    return {};
  }
  std::wstring_view text(buffer, length);
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t' || text.back() == L'\r' ||
                           text.back() == L'\n' || text.back() == L'\v' || text.back() == L'\f')) {
    text.remove_suffix(1);
  }
  return narrow(text);
}

}  // namespace

std::string error_text(DWORD code, HMODULE messages) {
  std::string message;
  if (messages != nullptr) {
    message = table_message(code, FORMAT_MESSAGE_FROM_HMODULE, messages);
  }
  if (message.empty()) {
    message = table_message(code, FORMAT_MESSAGE_FROM_SYSTEM, nullptr);
  }
  if (message.empty()) {
    message = "Unknown error";
  }
  return message + " (os error " + std::to_string(code) + ")";
}

HMODULE message_table_for(DWORD code) {
  // Only a winhttp.dll already loaded is asked: the code came from it, and nothing is loaded for
  // the sake of a message.
  return code >= kWinHttpFirst && code <= kWinHttpLast ? GetModuleHandleW(L"winhttp.dll") : nullptr;
}

std::string system_error_text(DWORD code) {
  return error_text(code, message_table_for(code));
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

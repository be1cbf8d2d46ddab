#include "windows/process_identity.h"

#include <sddl.h>

#include <optional>
#include <vector>

#include "win/files.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::blocking {
namespace {

constexpr DWORD kMaxTokenInformation = 65536;
constexpr DWORD kImagePathUnits = 32768;

std::optional<std::wstring> final_path(std::string_view path) {
  const win::FileHandle file(CreateFileW(win::widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                         nullptr));
  if (!file) {
    return std::nullopt;
  }
  return win::final_path_of(file.get());
}

}  // namespace

bool is_elevated() {
  win::Handle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
    return false;
  }
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) {
    return false;
  }
  return elevation.TokenIsElevated != 0;
}

Result<std::string> process_user_sid(HANDLE process) {
  const auto token = open_process_token(process);
  if (!token) {
    return std::unexpected(token.error());
  }
  return token_user_sid(token->get());
}

Result<win::Handle> open_process_token(HANDLE process) {
  win::Handle token;
  if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) {
    return std::unexpected(win::last_os_failure("Open process token"));
  }
  return token;
}

Result<std::string> token_user_sid(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size < 1 || size > kMaxTokenInformation) {
    return fail("Invalid process token size.");
  }
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    return std::unexpected(win::last_os_failure("Read process identity"));
  }
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(user->User.Sid, &text)) {
    return std::unexpected(win::last_os_failure("Read user SID"));
  }
  const win::LocalMemory owner(text);
  return win::narrow(text);
}

Result<std::string> process_image_path(HANDLE process) {
  std::wstring buffer(kImagePathUnits, L'\0');
  DWORD length = kImagePathUnits;
  if (!QueryFullProcessImageNameW(process, 0, buffer.data(), &length)) {
    return std::unexpected(win::last_os_failure("Read executable identity"));
  }
  buffer.resize(length);
  return win::narrow(buffer);
}

bool same_file_path(std::string_view first, std::string_view second) {
  const auto a = final_path(first);
  const auto b = final_path(second);
  return a && b && win::same_final_path(*a, *b);
}

}  // namespace borelu::blocking

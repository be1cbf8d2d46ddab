#include "apply/calling_application.h"

#include <windows.h>

#include "apply/debug_privilege.h"
#include "core/hex.h"
#include "core/path_text.h"
#include "crypto/sha256.h"
#include "manifest/file_names.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"
#include "windows/policy.h"
#include "windows/process_identity.h"

namespace borelu::apply {
namespace {

constexpr std::string_view kUntrusted = "Untrusted blocking pipe peer.";

Result<std::string> file_sha256(std::string_view path) {
  const win::FileHandle file(CreateFileW(win::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                         nullptr));
  if (!file) {
    return std::unexpected(win::last_os_failure());
  }
  crypto::Sha256 digest;
  auto read = win::read_pieces(file.get(), [&](std::span<const unsigned char> piece) -> Status {
    digest.update(piece);
    return {};
  });
  if (!read) {
    return std::unexpected(read.error());
  }
  return to_lower_hex(digest.finish());
}

// Success when the process is the genuine installed application of the owner; otherwise the
// failure is the finding.
Status identify(HANDLE process, std::string_view owner_sid, std::string_view installation_folder) {
  const auto policy = blocking::read_blocking_policy();
  if (!policy) {
    return std::unexpected(policy.error());
  }
  const auto token = with_debug_privilege([&] { return blocking::open_process_token(process); });
  if (!token) {
    return std::unexpected(token.error());
  }
  const auto user = blocking::token_user_sid(token->get());
  if (!user) {
    return std::unexpected(user.error());
  }
  if (*user != owner_sid) {
    return fail(std::string(kUntrusted));
  }
  const auto image = blocking::process_image_path(process);
  if (!image) {
    return std::unexpected(image.error());
  }
  const std::string application = join_path(installation_folder, manifest::APPLICATION_FILE);
  if (!blocking::same_file_path(*image, application)) {
    return fail(std::string(kUntrusted));
  }
  const auto digest = file_sha256(application);
  if (!digest) {
    return std::unexpected(digest.error());
  }
  if (*digest != policy->client_sha256) {
    return fail(std::string(kUntrusted));
  }
  return {};
}

}  // namespace

Status check_calling_application(std::uint32_t parent_pid, std::string_view owner_sid,
                                 std::string_view installation_folder,
                                 std::chrono::milliseconds shutdown_wait) {
  if (parent_pid == 0) {
    return {};
  }
  // The caller may run as another account than the worker (elevated with an administrator's
  // password): the process and its token are opened with the debug privilege.
  const win::Handle process(with_debug_privilege([&] {
    return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent_pid);
  }));
  if (!process) {
    if (GetLastError() == ERROR_INVALID_PARAMETER) {
      return {};  // the process no longer exists
    }
    return std::unexpected(win::last_os_failure("Inspect Borelu before updating"));
  }
  const DWORD running = WaitForSingleObject(process.get(), 0);
  if (running == WAIT_OBJECT_0) {
    return {};
  }
  if (running != WAIT_TIMEOUT) {
    return std::unexpected(win::last_os_failure("Check Borelu shutdown"));
  }
  const Status trusted = identify(process.get(), owner_sid, installation_folder);
  if (trusted) {
    const DWORD ended =
        WaitForSingleObject(process.get(), static_cast<DWORD>(shutdown_wait.count()));
    if (ended == WAIT_OBJECT_0) {
      return {};
    }
    if (ended == WAIT_TIMEOUT) {
      return fail("Borelu is still open. Close it and try the update again.");
    }
    return std::unexpected(win::last_os_failure("Wait for Borelu shutdown"));
  }
  // An untrusted process is never waited for; it may only have ended meanwhile.
  if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
    return {};
  }
  return trusted;
}

}  // namespace borelu::apply

#include "download/https.h"

#include <windows.h>
#include <winhttp.h>

#include "download/urls.h"
#include "manifest/release.h"
#include "manifest/update_host.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::download {
namespace {

constexpr int kResolveTimeout = 3000;
constexpr int kConnectTimeout = 5000;
constexpr int kSendTimeout = 10000;
constexpr int kReceiveTimeout = 20000;

}  // namespace

Status https_get(std::string_view object_path, std::uint64_t limit, const BodySink& sink,
                 const CancelCheck& cancelled) {
  // Closed in reverse order of opening on every path: the members are destroyed that way.
  const win::InternetHandle session(WinHttpOpen(win::widen(USER_AGENT).c_str(),
                                                WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                                WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) {
    return std::unexpected(win::last_os_failure("Start HTTPS connection"));
  }
  (void)WinHttpSetTimeouts(session.get(), kResolveTimeout, kConnectTimeout, kSendTimeout,
                           kReceiveTimeout);
  const win::InternetHandle connection(
      WinHttpConnect(session.get(), win::widen(manifest::UPDATE_HOST).c_str(), HTTPS_PORT, 0));
  if (!connection) {
    return std::unexpected(win::last_os_failure("Connect to Borelu"));
  }
  const win::InternetHandle request(
      WinHttpOpenRequest(connection.get(), L"GET", win::widen(object_path).c_str(), nullptr,
                         WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
  if (!request) {
    return std::unexpected(win::last_os_failure("Open download"));
  }
  DWORD disabled =
      WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_AUTHENTICATION;
  static_assert(
      (WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_AUTHENTICATION) == 7);
  if (!WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &disabled,
                        sizeof disabled)) {
    return std::unexpected(win::last_os_failure("Protect download connection"));
  }
  const std::wstring headers = win::widen(EXTRA_HEADERS);
  if (!WinHttpSendRequest(request.get(), headers.c_str(), static_cast<DWORD>(-1L),
                          WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr)) {
    return fail("Borelu could not be reached. Check your internet connection and try again.");
  }
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    status = 0;
  }
  if (status != 200) {
    return fail("Borelu download server returned HTTP " + std::to_string(status) + ".");
  }
  const BodyReader reader = [&](std::span<unsigned char> buffer) -> Result<std::size_t> {
    DWORD got = 0;
    if (!WinHttpReadData(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got)) {
      return std::unexpected(win::last_os_failure("Download interrupted"));
    }
    return static_cast<std::size_t>(got);
  };
  const Clock clock = [] { return std::chrono::steady_clock::now().time_since_epoch(); };
  return read_body(reader, limit, sink, clock, cancelled);
}

Result<std::string> fetch_metadata() {
  std::string body;
  const auto fetched =
      https_get(manifest::METADATA_PATH, manifest::MAX_METADATA_BYTES,
                [&](std::span<const unsigned char> chunk) -> Status {
                  body.append(reinterpret_cast<const char*>(chunk.data()), chunk.size());
                  return {};
                },
                {});
  if (!fetched) {
    return std::unexpected(fetched.error());
  }
  return body;
}

}  // namespace borelu::download

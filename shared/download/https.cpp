#include "download/https.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "download/urls.h"
#include "manifest/release.h"
#include "manifest/update_host.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"
#include "win/timeline.h"

namespace borelu::download {
namespace {

constexpr int kResolveTimeout = 3000;
constexpr int kConnectTimeout = 5000;
constexpr int kSendTimeout = 10000;
constexpr int kReceiveTimeout = 20000;
constexpr DWORD kNotifications =
    WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES;

// What one request shares with WinHTTP, whose completions arrive on WinHTTP's own threads: the
// request runs asynchronously so that a cancel can end a wait on a stalled host at once. Held by
// the request's caller and by its request handle, which lets go when WinHTTP reports the handle
// closing: a request given up on may still complete later, into this buffer.
struct Exchange {
  win::Handle done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // set by each completion
  DWORD status = 0;                                                // which completion
  DWORD error = 0;                                                 // of a failed step
  DWORD bytes = 0;                                                 // of a read
  std::vector<unsigned char> buffer = std::vector<unsigned char>(READ_CHUNK);
  std::atomic<int> holders{1};

  void release() {
    if (holders.fetch_sub(1) == 1) {
      delete this;
    }
  }
};

// The caller's hold on its exchange.
struct ExchangeHold {
  Exchange* exchange = new Exchange;
  ExchangeHold() = default;
  ExchangeHold(const ExchangeHold&) = delete;
  ExchangeHold& operator=(const ExchangeHold&) = delete;
  ~ExchangeHold() { exchange->release(); }
};

void CALLBACK on_status(HINTERNET, DWORD_PTR context, DWORD status, void* information,
                        DWORD length) {
  auto* exchange = reinterpret_cast<Exchange*>(context);
  if (exchange == nullptr) {
    return;  // the session's and the connection's own notifications
  }
  switch (status) {
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
      exchange->release();
      return;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
      exchange->bytes = length;
      break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
      exchange->error = static_cast<const WINHTTP_ASYNC_RESULT*>(information)->dwError;
      break;
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
      break;
    default:
      return;
  }
  exchange->status = status;
  SetEvent(exchange->done.get());
}

enum class Step { completed, failed, cancelled };

// Starts one step of the request and waits for its completion or for a cancel, whichever comes
// first. A step that fails leaves its error in the exchange.
Step run_step(Exchange& exchange, HANDLE cancel, DWORD completion,
              const std::function<BOOL()>& start) {
  if (!start()) {
    exchange.error = GetLastError();
    return Step::failed;
  }
  const HANDLE events[] = {cancel, exchange.done.get()};  // a cancel wins a tie
  const DWORD count = cancel != nullptr ? 2 : 1;
  const DWORD waited =
      WaitForMultipleObjects(count, cancel != nullptr ? events : events + 1, FALSE, INFINITE);
  if (cancel != nullptr && waited == WAIT_OBJECT_0) {
    return Step::cancelled;
  }
  if (waited != WAIT_OBJECT_0 + count - 1) {
    exchange.error = GetLastError();
    return Step::failed;
  }
  return exchange.status == completion ? Step::completed : Step::failed;
}

}  // namespace

Status https_get(std::string_view object_path, std::uint64_t limit, const BodySink& sink,
                 const Cancel& cancel) {
  if (cancel.requested && cancel.requested()) {
    return fail(std::string(kCancelledMessage));  // no connection is opened after a cancel
  }
  const ExchangeHold hold;
  Exchange& exchange = *hold.exchange;
  if (!exchange.done) {
    return std::unexpected(win::last_os_failure("Start HTTPS connection"));
  }
  // Closed in reverse order of opening on every path: the members are destroyed that way.
  std::optional<win::timeline::Span> opening(std::in_place, "session opened");
  const win::InternetHandle session(
      WinHttpOpen(win::widen(USER_AGENT).c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
  if (!session) {
    return std::unexpected(win::last_os_failure("Start HTTPS connection"));
  }
  (void)WinHttpSetTimeouts(session.get(), kResolveTimeout, kConnectTimeout, kSendTimeout,
                           kReceiveTimeout);
  if (WinHttpSetStatusCallback(session.get(), on_status, kNotifications, 0) ==
      WINHTTP_INVALID_STATUS_CALLBACK) {
    return std::unexpected(win::last_os_failure("Start HTTPS connection"));
  }
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
  opening.reset();
  auto context = reinterpret_cast<DWORD_PTR>(&exchange);
  exchange.holders.fetch_add(1);  // the request handle's hold, until it has closed
  if (!WinHttpSetOption(request.get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context)) {
    const Failure failure = win::last_os_failure("Open download");
    exchange.release();
    return std::unexpected(failure);
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
  std::optional<win::timeline::Span> asking(std::in_place, "request answered");
  Step step = run_step(exchange, cancel.signal, WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE, [&] {
    return WinHttpSendRequest(request.get(), headers.c_str(), static_cast<DWORD>(-1L),
                              WINHTTP_NO_REQUEST_DATA, 0, 0, context);
  });
  if (step == Step::completed) {
    step = run_step(exchange, cancel.signal, WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE,
                    [&] { return WinHttpReceiveResponse(request.get(), nullptr); });
  }
  asking.reset();
  if (step == Step::cancelled) {
    return fail(std::string(kCancelledMessage));
  }
  if (step == Step::failed) {
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
  // The body is read straight into the exchange's buffer, which outlives a request given up on.
  const BodyReader reader = [&](std::span<unsigned char> buffer) -> Result<std::size_t> {
    switch (run_step(exchange, cancel.signal, WINHTTP_CALLBACK_STATUS_READ_COMPLETE, [&] {
      return WinHttpReadData(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                             nullptr);
    })) {
      case Step::cancelled:
        return fail(std::string(kCancelledMessage));
      case Step::failed:
        return std::unexpected(win::os_failure("Download interrupted", exchange.error));
      case Step::completed:
        break;
    }
    return static_cast<std::size_t>(exchange.bytes);
  };
  const Clock clock = [] { return std::chrono::steady_clock::now().time_since_epoch(); };
  const win::timeline::Span body("body");
  return read_body(reader, exchange.buffer, limit, sink, clock, cancel.requested);
}

Result<std::string> fetch_metadata(const Cancel& cancel) {
  std::string body;
  const auto fetched = https_get(
      manifest::METADATA_PATH, manifest::MAX_METADATA_BYTES,
      [&](std::span<const unsigned char> chunk) -> Status {
        body.append(reinterpret_cast<const char*>(chunk.data()), chunk.size());
        return {};
      },
      cancel);
  if (!fetched) {
    return std::unexpected(fetched.error());
  }
  return body;
}

}  // namespace borelu::download

#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "download/body_loop.h"

namespace borelu::download {

// What stops a request early: `requested` tells whether the user has asked to cancel (looked at
// before every read of the body but the first), and `signal`, an event set the moment they ask,
// ends at once whatever wait on the host is in flight, however long the host stalls. Both empty
// where nothing can cancel.
struct Cancel {
  CancelCheck requested;
  HANDLE signal = nullptr;
};

// GET of `object_path` on the update host over HTTPS, port 443: automatic proxy, fixed
// time-outs, no cookies, no redirects, no authentication. Only status 200 is accepted; the body
// streams into `sink` under the limits of `read_body`. A cancel ends it with "Cancelled.".
[[nodiscard]] Status https_get(std::string_view object_path, std::uint64_t limit,
                               const BodySink& sink, const Cancel& cancel);

// The release metadata document, at most 32768 bytes, not yet verified.
[[nodiscard]] Result<std::string> fetch_metadata(const Cancel& cancel = {});

}  // namespace borelu::download

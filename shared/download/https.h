#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "download/body_loop.h"

namespace borelu::download {

// GET of `object_path` on the update host over HTTPS, port 443: automatic proxy, fixed
// time-outs, no cookies, no redirects, no authentication. Only status 200 is accepted; the body
// streams into `sink` under the limits of `read_body`.
[[nodiscard]] Status https_get(std::string_view object_path, std::uint64_t limit,
                               const BodySink& sink, const CancelCheck& cancelled);

// The release metadata document, at most 32768 bytes, not yet verified.
[[nodiscard]] Result<std::string> fetch_metadata();

}  // namespace borelu::download

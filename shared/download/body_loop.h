#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

#include "core/failure.h"
#include "core/read_chunk.h"

namespace borelu::download {

// A body is read in the same pieces as every file.
using borelu::READ_CHUNK;
inline constexpr std::chrono::seconds BODY_DEADLINE{180};

// Whether the user has asked to cancel; empty where nothing can cancel (the metadata request).
using CancelCheck = std::function<bool()>;

// Reads up to `buffer.size()` bytes of the body; 0 means the body is complete.
using BodyReader = std::function<Result<std::size_t>(std::span<unsigned char> buffer)>;
// Takes one chunk of the body.
using BodySink = std::function<Status(std::span<const unsigned char> chunk)>;
// A monotonic clock.
using Clock = std::function<std::chrono::steady_clock::duration()>;

// Reads a response body in chunks of at most 64 KiB into `sink`: at most `limit` bytes in all,
// within 180 s of the start (exactly 180 s still allowed). With a cancel check (file downloads),
// a cancel request is honoured before every read but the first.
[[nodiscard]] Status read_body(const BodyReader& reader, std::uint64_t limit, const BodySink& sink,
                               const Clock& clock, const CancelCheck& cancelled);
// The same through the transfer's own buffer of READ_CHUNK bytes, which `reader` reads into and
// `sink` is given pieces of.
[[nodiscard]] Status read_body(const BodyReader& reader, std::span<unsigned char> buffer,
                               std::uint64_t limit, const BodySink& sink, const Clock& clock,
                               const CancelCheck& cancelled);

}  // namespace borelu::download

#include "download/body_loop.h"

#include <vector>

namespace borelu::download {

Status read_body(const BodyReader& reader, std::uint64_t limit, const BodySink& sink,
                 const Clock& clock, const CancelCheck& cancelled) {
  std::vector<unsigned char> buffer(READ_CHUNK);
  return read_body(reader, buffer, limit, sink, clock, cancelled);
}

Status read_body(const BodyReader& reader, std::span<unsigned char> buffer, std::uint64_t limit,
                 const BodySink& sink, const Clock& clock, const CancelCheck& cancelled) {
  const auto start = clock();
  std::uint64_t total = 0;
  for (bool first = true;; first = false) {
    if (cancelled && !first && cancelled()) {
      return fail(std::string(kCancelledMessage));
    }
    if (clock() - start > BODY_DEADLINE) {
      return fail("Download timed out. Try again later.");
    }
    const auto got = reader(buffer);
    if (!got) {
      return std::unexpected(got.error());
    }
    if (*got == 0) {
      return {};
    }
    total += *got;
    if (total > limit) {
      return fail("Download exceeds its signed size limit.");
    }
    if (auto delivered = sink(buffer.first(*got)); !delivered) {
      return delivered;
    }
  }
}

}  // namespace borelu::download

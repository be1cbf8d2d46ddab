#include <gtest/gtest.h>

#include <deque>

#include "controller/cancel_state.h"
#include "download/body_loop.h"
#include "download/urls.h"
#include "outcome.h"

namespace borelu::download {
namespace {

using namespace std::chrono_literals;
using testing::outcome;

// A body served in fixed pieces, with a clock that the test moves.
struct FakeBody {
  std::deque<std::string> pieces;
  std::chrono::steady_clock::duration now{};
  std::vector<std::chrono::steady_clock::duration> advancePerRead;  // clock step after read i
  std::size_t reads = 0;
  std::string received;

  BodyReader reader() {
    return [this](std::span<unsigned char> buffer) -> Result<std::size_t> {
      if (reads < advancePerRead.size())
        now += advancePerRead[reads];
      ++reads;
      if (pieces.empty())
        return 0;
      std::string piece = pieces.front();
      pieces.pop_front();
      EXPECT_LE(piece.size(), buffer.size());
      std::copy(piece.begin(), piece.end(), buffer.begin());
      return piece.size();
    };
  }
  BodySink sink() {
    return [this](std::span<const unsigned char> chunk) -> Status {
      received.append(chunk.begin(), chunk.end());
      return {};
    };
  }
  Clock clock() {
    return [this] { return now; };
  }
};

TEST(BodyLoop, DeliversEveryChunkInOrderWithinTheLimit) {
  FakeBody body;
  body.pieces = {"abc", std::string(READ_CHUNK, 'x'), "d"};
  EXPECT_TRUE(read_body(body.reader(), 3 + READ_CHUNK + 1, body.sink(), body.clock(), {}));
  EXPECT_EQ(body.received, "abc" + std::string(READ_CHUNK, 'x') + "d");
  EXPECT_EQ(body.reads, 4u);
}

TEST(BodyLoop, OneByteOverTheLimitFailsBeforeItIsDelivered) {
  FakeBody body;
  body.pieces = {"abcd", "e"};
  EXPECT_EQ(outcome(read_body(body.reader(), 4, body.sink(), body.clock(), {})),
            "Download exceeds its signed size limit.");
  EXPECT_EQ(body.received, "abcd");
}

TEST(BodyLoop, ExactlyTheDeadlineIsStillAllowed) {
  FakeBody on_time;
  on_time.pieces = {"a", "b"};
  on_time.advancePerRead = {0s, 180s};  // the check before the third read sees exactly 180 s
  EXPECT_TRUE(read_body(on_time.reader(), 10, on_time.sink(), on_time.clock(), {}));

  FakeBody late;
  late.pieces = {"a", "b"};
  late.advancePerRead = {0s, 180s + 1ns};
  EXPECT_EQ(outcome(read_body(late.reader(), 10, late.sink(), late.clock(), {})),
            "Download timed out. Try again later.");
  EXPECT_EQ(late.received, "ab");
}

TEST(BodyLoop, CancelIsHonouredForFilesOnlyAndNeverBeforeTheFirstRead) {
  controller::CancelState cancel;
  cancel.request_cancel();
  FakeBody file;
  file.pieces = {"a", "b"};
  EXPECT_EQ(outcome(read_body(file.reader(), 10, file.sink(), file.clock(),
                              [&] { return cancel.cancel_requested(); })),
            "Cancelled.");
  EXPECT_EQ(file.received, "a");

  FakeBody metadata;
  metadata.pieces = {"a", "b"};
  EXPECT_TRUE(read_body(metadata.reader(), 10, metadata.sink(), metadata.clock(), {}));

  controller::CancelState elevated;
  ASSERT_TRUE(elevated.begin_elevation());
  FakeBody after_elevation;
  after_elevation.pieces = {"a", "b"};
  EXPECT_TRUE(read_body(after_elevation.reader(), 10, after_elevation.sink(),
                        after_elevation.clock(), [&] { return elevated.cancel_requested(); }));
}

TEST(BodyLoop, ReaderAndSinkFailuresEndTheLoop) {
  const BodyReader broken = [](std::span<unsigned char>) -> Result<std::size_t> {
    return fail("Download interrupted: gone (os error 12030)");
  };
  const Clock clock = [] { return std::chrono::steady_clock::duration{}; };
  EXPECT_EQ(outcome(read_body(broken, 10, [](auto) -> Status { return {}; }, clock, {})),
            "Download interrupted: gone (os error 12030)");
  FakeBody body;
  body.pieces = {"a", "b"};
  int calls = 0;
  const BodySink full_disk = [&](std::span<const unsigned char>) -> Status {
    ++calls;
    return fail("There is not enough space on the disk. (os error 112)");
  };
  EXPECT_EQ(outcome(read_body(body.reader(), 10, full_disk, body.clock(), {})),
            "There is not enough space on the disk. (os error 112)");
  EXPECT_EQ(calls, 1);
}

TEST(DownloadUrls, OnlyTheUpdateHostOverHttpsIsApproved) {
  EXPECT_EQ(approved_object_path("https://borelu.app/releases/1.4.2/Borelu.exe", "borelu.app"),
            "/releases/1.4.2/Borelu.exe");
  EXPECT_EQ(approved_object_path("https://borelu.app/x?y=1", "borelu.app"), "/x?y=1");
  for (const char* url :
       {"http://borelu.app/releases/1.4.2/Borelu.exe", "https://Borelu.app/r",
        "https://borelu.app.evil.example/r", "https://borelu.app", "https://borelu.app:443/r",
        "https://evil.example/r", " https://borelu.app/r"}) {
    EXPECT_FALSE(approved_object_path(url, "borelu.app")) << url;
  }
}

TEST(DownloadUrls, StageNamesProgressLinesAndPercent) {
  EXPECT_TRUE(is_stage_name("BoreluUpdate-0123456789abcdef0123456789ABCDEF"));
  EXPECT_FALSE(is_stage_name("BoreluUpdate-0123456789abcdef0123456789abcde"));
  EXPECT_FALSE(is_stage_name("BoreluUpdate-0123456789abcdef0123456789abcdeff"));
  EXPECT_FALSE(is_stage_name("BoreluUpdate-0123456789abcdef0123456789abcdeg"));
  EXPECT_FALSE(is_stage_name("boreluupdate-0123456789abcdef0123456789abcdef"));
  EXPECT_EQ(downloading_line("1.4.2", 37), "Downloading Borelu 1.4.2 \xE2\x80\x94 37%");
  EXPECT_EQ(percent_of(1, 3), 33u);
  EXPECT_EQ(percent_of(3, 3), 100u);
  EXPECT_EQ(percent_of(0, 0), 0u);
  EXPECT_EQ(percent_of(75497471, 75497472), 99u);
}

}  // namespace
}  // namespace borelu::download

// The progress window's portable half: the lines it shows, the channel that carries them, and
// the bar's easing, fill and percentage.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "controller/progress_text.h"
#include "ui/progress/progress_bar.h"

namespace borelu {
namespace {

using controller::ControllerMessage;
using controller::Progress;
using ui::Language;

TEST(ProgressText, DownloadLinesKeepTheVersionAndArabicReplacesTheKnownLines) {
  const struct {
    std::string_view english;
    Language language;
    std::string_view shown;
  } cases[] = {
      {"Downloading Borelu 1.4.2 — 37%", Language::english, "Downloading Borelu 1.4.2"},
      {"Downloading Borelu 1.4.2 — 37%", Language::arabic, "جارٍ تنزيل Borelu 1.4.2"},
      {"Downloading Borelu 1.4.2-beta — 1% — x", Language::english,
       "Downloading Borelu 1.4.2-beta"},
      {"Downloading Borelu 1.4.2", Language::english, "Downloading Borelu 1.4.2"},
      {"Verified. Waiting for Windows installation permission…", Language::english,
       "Verified. Waiting for Windows installation permission…"},
      {"Verified. Waiting for Windows installation permission…", Language::arabic,
       "تم التحقق. بانتظار موافقة Windows على التثبيت…"},
      {"Installing Borelu and preparing Microsoft WebView2 if needed. This may take a few "
       "minutes...",
       Language::arabic,
       "جارٍ تثبيت Borelu وتجهيز Microsoft WebView2 عند الحاجة. قد يستغرق عدة دقائق…"},
      {"Connecting securely to borelu.app…", Language::arabic,
       "Connecting securely to borelu.app…"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(controller::shown_progress_text(c.english, c.language), c.shown) << c.english;
  }
}

TEST(ProgressChannel, EverySendersMessagesArriveInOrderAndNothingAfterTheReceiverIsGone) {
  auto [sender, receiver] = make_channel<ControllerMessage>();
  constexpr std::uint32_t kEach = 20000;
  std::vector<std::thread> senders;
  for (std::uint32_t id = 0; id < 2; ++id) {
    senders.emplace_back([&sender, id] {
      for (std::uint32_t i = 0; i < kEach; ++i)
        controller::report_progress(sender, i, std::to_string(id), Language::english);
    });
  }
  std::uint32_t next[2] = {0, 0};
  std::uint32_t received = 0;
  while (received < 2 * kEach) {
    if (auto message = receiver.try_receive()) {
      const auto& progress = std::get<Progress>(*message);
      const auto id = static_cast<std::size_t>(progress.text[0] - '0');
      ASSERT_EQ(progress.percent, next[id]++);
      ++received;
    }
  }
  for (auto& thread : senders)
    thread.join();
  EXPECT_FALSE(receiver.try_receive());
  { auto gone = std::move(receiver); }
  sender.send(Progress{"late", 1});  // dropped, not an error
}

TEST(ProgressBar, EasingClampAndPercentage) {
  ui::ProgressBar bar;
  EXPECT_FALSE(ui::percentage_label(bar));
  ui::set_target(bar, 0);
  EXPECT_FALSE(ui::percentage_label(bar));  // 0 is still "no percentage yet"
  ui::set_target(bar, 100);
  ui::tick(bar);
  EXPECT_FLOAT_EQ(bar.shown, 16.0F);
  ui::tick(bar);
  EXPECT_FLOAT_EQ(bar.shown, 29.44F);
  EXPECT_EQ(ui::percentage_label(bar), "29%");

  for (const auto& [sent, target] : {std::pair<std::uint32_t, float>{42, 42},
                                     {99, 99},
                                     {100, 100},
                                     {250, 100},
                                     {0xFFFFFFFFu, 100}}) {
    ui::set_target(bar, sent);
    EXPECT_EQ(bar.target, target) << sent;
  }
  for (int i = 0; i < 200; ++i)
    ui::tick(bar);
  EXPECT_EQ(ui::percentage_label(bar), "100%");
  const auto full = ui::bar_fill(bar, 28, 492, false);
  ASSERT_TRUE(full);
  EXPECT_EQ(full->left, 28);
  EXPECT_EQ(full->right, 492);
}

TEST(ProgressBar, FillGrowsFromTheStartEdgeAndTheSegmentSlides) {
  const struct {
    float target, shown, phase;
    bool right_to_left;
    std::optional<std::pair<int, int>> span;
  } cases[] = {
      {50, 50, 0, false, std::pair{28, 260}},
      {50, 50, 0, true, std::pair{260, 492}},  // Arabic: from the right edge
      {50, 0.2F, 0, false, std::nullopt},      // under two pixels: nothing drawn
      {0, 0, 0, false, std::nullopt},          // segment just outside the start edge
      {0, 0, 0.5F, false, std::pair{195, 324}},
      {0, 0, 0.5F, true, std::pair{195, 324}},
      {0, 0, 1.1F, false, std::pair{28, 87}},  // the phase wraps around
      {0, 0, 1.1F, true, std::pair{432, 492}},
  };
  for (const auto& c : cases) {
    const ui::ProgressBar bar{c.target, c.shown, c.phase};
    const auto span = ui::bar_fill(bar, 28, 492, c.right_to_left);
    ASSERT_EQ(span.has_value(), c.span.has_value()) << c.phase;
    if (span) {
      EXPECT_EQ(std::pair(span->left, span->right), *c.span) << c.phase << " " << c.right_to_left;
    }
  }
}

// The window paints a tick only when its frame differs from the last one painted: a change that
// shows must change the frame (or the screen freezes short of the truth), and one that does not
// must not (or every tick paints again).
TEST(ProgressBar, AFrameChangesExactlyWhenThePixelsOrThePercentageDo) {
  const struct {
    const char* what;
    ui::ProgressBar a, b;
    int track_right;
    bool same;
  } cases[] = {
      {"less than a pixel, same percentage", {45, 45.01F, 0}, {45, 45.02F, 0}, 492, true},
      {"arrived, ticks on", {100, 100, 0}, {100, 100, 0.5F}, 492, true},
      {"same pixels, the percentage turns", {46, 45.4F, 0}, {46, 45.6F, 0}, 60, false},
      {"one pixel more", {50, 40, 0}, {50, 40.3F, 0}, 492, false},
      {"the first percentage arrives", {0, 0, 0}, {1, 0, 0}, 492, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ui::bar_frame(c.a, 28, c.track_right, false) ==
                  ui::bar_frame(c.b, 28, c.track_right, false),
              c.same)
        << c.what;
  }
  // No percentage yet: the segment slides, and each tick but those where it is out of sight
  // shows a new frame.
  ui::ProgressBar sliding;
  int unchanged = 0;
  auto frame = ui::bar_frame(sliding, 28, 492, true);
  for (int i = 0; i < 200; ++i) {
    ui::tick(sliding);
    auto next = ui::bar_frame(sliding, 28, 492, true);
    unchanged += next == frame && next.fill.has_value() ? 1 : 0;
    frame = std::move(next);
  }
  EXPECT_EQ(unchanged, 0);
}

}  // namespace
}  // namespace borelu

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "controller/cancel_state.h"

namespace borelu::controller {
namespace {

using Phase = CancelState::Phase;

TEST(CancelState, OnlyARunningStateMoves) {
  CancelState cancelled;
  EXPECT_EQ(cancelled.phase(), Phase::running);
  EXPECT_FALSE(cancelled.cancel_requested());
  EXPECT_TRUE(cancelled.request_cancel());
  EXPECT_TRUE(cancelled.request_cancel()) << "a second Cancel still finds a cancel requested";
  EXPECT_FALSE(cancelled.begin_elevation()) << "elevation after a cancel";
  EXPECT_EQ(cancelled.phase(), Phase::cancel_requested);
  EXPECT_TRUE(cancelled.cancel_requested());

  CancelState elevated;
  EXPECT_TRUE(elevated.begin_elevation());
  EXPECT_FALSE(elevated.begin_elevation());
  EXPECT_FALSE(elevated.request_cancel()) << "a cancel after the point of no return";
  EXPECT_EQ(elevated.phase(), Phase::elevation_started);
  EXPECT_FALSE(elevated.cancel_requested());
}

// The window's Cancel and the controller's elevation, started together on two threads, many
// times: exactly one wins each race, and the state says which.
TEST(CancelState, CancelAndElevationRacingEachOtherHaveExactlyOneWinner) {
  constexpr std::size_t kRounds = 100000;
  std::vector<CancelState> states(kRounds);
  std::vector<char> cancel_won(kRounds);
  std::vector<char> elevation_won(kRounds);
  std::atomic<std::size_t> window_at{0};
  std::atomic<std::size_t> controller_at{0};
  // Each side waits for the other to reach the same round, then waits a little at random, so
  // that either may come first and the two calls often overlap.
  const auto side = [&](std::atomic<std::size_t>& mine, const std::atomic<std::size_t>& other,
                        unsigned seed, auto act) {
    for (std::size_t i = 0; i < kRounds; ++i) {
      mine.store(i + 1);
      for (int spins = 0; other.load() < i + 1; ++spins) {
        if (spins > 1000) {
          std::this_thread::yield();  // the other side seems not to be running at all
        }
      }
      seed = seed * 1103515245u + 12345u;
      for (unsigned delay = (seed >> 16) % 2048; delay > 0; --delay) {
        std::atomic_signal_fence(std::memory_order_seq_cst);  // keeps the wait from being dropped
      }
      act(i);
    }
  };
  std::thread window([&] {
    side(window_at, controller_at, 1u,
         [&](std::size_t i) { cancel_won[i] = states[i].request_cancel(); });
  });
  side(controller_at, window_at, 2u,
       [&](std::size_t i) { elevation_won[i] = states[i].begin_elevation(); });
  window.join();

  for (std::size_t i = 0; i < kRounds; ++i) {
    ASSERT_NE(cancel_won[i], elevation_won[i]) << "round " << i;
    ASSERT_EQ(states[i].phase(), cancel_won[i] ? Phase::cancel_requested : Phase::elevation_started)
        << "round " << i;
  }
}

// A wait that cannot look at the state (a request to a stalled host) is woken by the cancel
// itself, from the window's thread; a cancel that came first wakes the watch at once; a watch
// that is gone is never called again, and nothing wakes after the point of no return.
TEST(CancelState, AWatchIsWokenByTheCancelAndOnlyWhileItLives) {
  {
    CancelState state;
    std::atomic<int> woken{0};
    {
      const auto watch = state.watch([&] { ++woken; });
      std::thread window([&] { state.request_cancel(); });
      window.join();
      EXPECT_EQ(woken.load(), 1);
      state.request_cancel();  // already requested: no second wake
      EXPECT_EQ(woken.load(), 1);
    }
    const auto late = state.watch([&] { woken += 10; });
    EXPECT_EQ(woken.load(), 11) << "a watch begun after the cancel is woken at once";
  }
  {
    CancelState state;
    int woken = 0;
    {
      const auto watch = state.watch([&] { ++woken; });
    }
    state.request_cancel();
    EXPECT_EQ(woken, 0) << "a watch that is gone";
  }
  {
    CancelState state;
    int woken = 0;
    const auto watch = state.watch([&] { ++woken; });
    ASSERT_TRUE(state.begin_elevation());
    EXPECT_FALSE(state.request_cancel());
    EXPECT_EQ(woken, 0) << "after the point of no return";
  }
}

}  // namespace
}  // namespace borelu::controller

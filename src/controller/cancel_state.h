#pragma once

#include <atomic>
#include <cstdint>

namespace borelu::controller {

// What the user-interface thread and the controller thread share about cancelling: the window's
// Cancel and the controller's request for elevation race for one atomic value, and exactly one of
// them wins. Once elevation has begun nothing can cancel; once a cancel is requested the
// controller never asks for elevation.
class CancelState {
 public:
  enum class Phase : std::int64_t { running = 0, cancel_requested = 1, elevation_started = 2 };

  // The window's Cancel (or the window gone without a result): running becomes cancel requested.
  // True when a cancel is requested now or was already; false once elevation has begun.
  bool request_cancel() noexcept {
    auto expected = Phase::running;
    return value_.compare_exchange_strong(expected, Phase::cancel_requested) ||
           expected == Phase::cancel_requested;
  }

  // The controller's point of no return, just before it asks for elevation: running becomes
  // elevation started. False when a cancel came first.
  [[nodiscard]] bool begin_elevation() noexcept {
    auto expected = Phase::running;
    return value_.compare_exchange_strong(expected, Phase::elevation_started);
  }

  [[nodiscard]] Phase phase() const noexcept { return value_.load(); }
  [[nodiscard]] bool cancel_requested() const noexcept {
    return phase() == Phase::cancel_requested;
  }

 private:
  std::atomic<Phase> value_{Phase::running};
  static_assert(std::atomic<Phase>::is_always_lock_free);
};

}  // namespace borelu::controller

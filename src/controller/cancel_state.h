#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

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
    if (value_.compare_exchange_strong(expected, Phase::cancel_requested)) {
      const std::lock_guard lock(wake_mutex_);
      if (wake_) {
        wake_();
      }
      return true;
    }
    return expected == Phase::cancel_requested;
  }

  // While a watch lives, its `wake` runs the moment a cancel is requested (on the thread that
  // requests it), or at once when one already was: a wait that cannot look at the state (a
  // request to a host that has stalled) ends then rather than at its next check. One watch at a
  // time; `wake` must be quick and must not throw. Once the watch is gone `wake` never runs.
  class [[nodiscard]] Watch {
   public:
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
    ~Watch() { state_.set_wake(nullptr); }

   private:
    friend class CancelState;
    explicit Watch(const CancelState& state) : state_(state) {}
    const CancelState& state_;
  };
  Watch watch(std::function<void()> wake) const {
    set_wake(std::move(wake));
    if (cancel_requested()) {
      const std::lock_guard lock(wake_mutex_);
      if (wake_) {
        wake_();
      }
    }
    return Watch(*this);
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
  void set_wake(std::function<void()> wake) const {
    const std::lock_guard lock(wake_mutex_);
    wake_ = std::move(wake);
  }

  std::atomic<Phase> value_{Phase::running};
  static_assert(std::atomic<Phase>::is_always_lock_free);
  // Watching changes nothing that the state says; a const state can be watched.
  mutable std::mutex wake_mutex_;
  mutable std::function<void()> wake_;
};

}  // namespace borelu::controller

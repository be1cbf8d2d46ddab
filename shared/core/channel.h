#pragma once

// A one-way channel from one thread to another: unbounded, any number of senders, one receiver.
// Sending never blocks the sender for longer than a queue insertion, and a send after the
// receiver has gone is dropped, since nobody is left to receive it.

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace borelu {

template <class T>
class Receiver;

namespace detail {

template <class T>
struct ChannelState {
  std::mutex mutex;
  std::deque<T> pending;
  bool receiver_gone = false;
};

}  // namespace detail

template <class T>
class Sender {
 public:
  void send(T value) const {
    const std::scoped_lock lock(state_->mutex);
    if (!state_->receiver_gone) {
      state_->pending.push_back(std::move(value));
    }
  }

 private:
  explicit Sender(std::shared_ptr<detail::ChannelState<T>> state) : state_(std::move(state)) {}
  std::shared_ptr<detail::ChannelState<T>> state_;

  template <class U>
  friend std::pair<Sender<U>, Receiver<U>> make_channel();
};

template <class T>
class Receiver {
 public:
  Receiver(Receiver&&) noexcept = default;
  Receiver& operator=(Receiver&&) noexcept = default;
  Receiver(const Receiver&) = delete;
  Receiver& operator=(const Receiver&) = delete;
  ~Receiver() { close(); }

  // The oldest pending value, or nothing when none is pending.
  [[nodiscard]] std::optional<T> try_receive() {
    const std::scoped_lock lock(state_->mutex);
    if (state_->pending.empty()) {
      return std::nullopt;
    }
    T value = std::move(state_->pending.front());
    state_->pending.pop_front();
    return value;
  }

 private:
  explicit Receiver(std::shared_ptr<detail::ChannelState<T>> state) : state_(std::move(state)) {}

  void close() {
    if (state_) {
      const std::scoped_lock lock(state_->mutex);
      state_->receiver_gone = true;
      state_->pending.clear();
    }
  }

  std::shared_ptr<detail::ChannelState<T>> state_;

  template <class U>
  friend std::pair<Sender<U>, Receiver<U>> make_channel();
};

template <class T>
[[nodiscard]] std::pair<Sender<T>, Receiver<T>> make_channel() {
  auto state = std::make_shared<detail::ChannelState<T>>();
  return {Sender<T>(state), Receiver<T>(state)};
}

}  // namespace borelu

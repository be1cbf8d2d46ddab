#pragma once

#include <utility>

namespace borelu {

// Runs an action when the scope ends, on every way out: for tidying that has no handle to own.
//   const ScopeExit tidy([&] { tidy_work_folder(work); });
template <class Action>
class [[nodiscard]] ScopeExit {
 public:
  explicit ScopeExit(Action action) : action_(std::move(action)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() { action_(); }

 private:
  Action action_;
};

}  // namespace borelu

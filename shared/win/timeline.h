#pragma once

// Marks of a run's phases for tests/benchmarks/benchmark_timeline.sh. In a test build whose
// environment names a file in BORELU_TIMELINE, each mark appends one line to it:
//   MICROSECONDS PROCESS_ID THREAD_ID begin|end|at NAME
// timed by the performance counter, which every process of the machine reads alike, so the
// lines of Setup, its worker and the driver that clicks Install fall into one timeline. Without
// the variable a mark costs one test of a flag read once; in the release build it is nothing.

#include <string_view>
#include <utility>

#include "build_config.h"

namespace borelu::win::timeline {

// The environment variable that names the timeline file in a test build.
inline constexpr std::wstring_view VARIABLE = L"BORELU_TIMELINE";

namespace detail {
void write_mark(std::string_view kind, std::string_view name);
bool file_open();
}  // namespace detail

// Whether marks are written at all.
inline bool enabled() {
  if constexpr (build::TEST_BUILD) {
    return detail::file_open();
  }
  return false;
}

inline void at(std::string_view name) {
  if (enabled()) {
    detail::write_mark("at", name);
  }
}

// A phase from construction to destruction.
class Span {
 public:
  explicit Span(std::string_view name) : name_(name) {
    if (enabled()) {
      detail::write_mark("begin", name_);
    }
  }
  ~Span() {
    if (enabled()) {
      detail::write_mark("end", name_);
    }
  }
  Span(const Span&) = delete;
  Span& operator=(const Span&) = delete;

 private:
  std::string_view name_;
};

// `work()` as one phase, its result passed on.
template <typename Work>
decltype(auto) timed(std::string_view name, Work&& work) {
  const Span span(name);
  return std::forward<Work>(work)();
}

}  // namespace borelu::win::timeline

#pragma once

#include <windows.h>
#include <objbase.h>

namespace borelu::controller {

// The calling thread's membership of a COM apartment for the length of a scope. Entering can
// fail, for example when the thread already belongs to an apartment of the other model; the
// scope then leaves nothing at its end. A thread that was already in an apartment of the same
// model enters again (S_FALSE) and so must leave again too.
class ComApartment {
 public:
  explicit ComApartment(COINIT model) noexcept
      : entered_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
  ~ComApartment() {
    if (entered_) {
      CoUninitialize();
    }
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  [[nodiscard]] bool entered() const noexcept { return entered_; }

 private:
  bool entered_;
};

}  // namespace borelu::controller

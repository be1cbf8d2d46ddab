#pragma once

#include <windows.h>

#include "controller/cancel_state.h"
#include "download/https.h"
#include "win/handles.h"

namespace borelu::controller {

// The cancel state as a request to the update host sees it: whether a cancel was requested, and
// an event that the cancel itself sets, from the window's thread, so that a wait on a stalled
// host ends at once instead of at its next look at the state.
class RequestCancel {
 public:
  explicit RequestCancel(const CancelState& cancel)
      : cancel_(cancel),
        event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        watch_(cancel.watch([this] { SetEvent(event_.get()); })) {}
  RequestCancel(const RequestCancel&) = delete;
  RequestCancel& operator=(const RequestCancel&) = delete;

  // Without an event (none could be made) a cancel is still seen before every read.
  [[nodiscard]] download::Cancel get() const {
    return {[this] { return cancel_.cancel_requested(); }, event_.get()};
  }

 private:
  const CancelState& cancel_;
  win::Handle event_;
  CancelState::Watch watch_;  // ends before the event is closed
};

}  // namespace borelu::controller

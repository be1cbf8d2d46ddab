#pragma once

// What the progress window takes from the run it shows: the messages it accepts, over a channel
// it receives from, and the one thing it asks of the run, to cancel. The run adapts itself to
// these; the window knows nothing else of it.

#include <cstdint>
#include <string>
#include <variant>

#include "core/channel.h"
#include "core/failure.h"

namespace borelu::ui::progress {

// A new status line (already in the display language) and bar position.
struct Progress {
  std::string text;
  std::uint32_t percent = 0;
};

// The run is over: success, or the failure text. Sent exactly once, last.
struct Finished {
  Status outcome;
};

using WindowMessage = std::variant<Progress, Finished>;
using MessageSender = Sender<WindowMessage>;
using MessageReceiver = Receiver<WindowMessage>;

// How the window asks the run to stop. Called on the window's thread while the run goes on on
// another.
class CancelRequest {
 public:
  // The window's Cancel, Escape or close box before a result: true when the run stops (or was
  // already asked to), false once it no longer can.
  virtual bool request_cancel() = 0;
  // Whether the run has passed the point after which nothing cancels it; once true, stays true.
  [[nodiscard]] virtual bool cancel_withdrawn() const = 0;

 protected:
  CancelRequest() = default;
  CancelRequest(const CancelRequest&) = default;
  CancelRequest& operator=(const CancelRequest&) = default;
  ~CancelRequest() = default;
};

}  // namespace borelu::ui::progress

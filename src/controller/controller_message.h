#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "core/channel.h"
#include "core/failure.h"

namespace borelu::controller {

// A new status line (already in the display language) and bar position.
struct Progress {
  std::string text;
  std::uint32_t percent = 0;
};

// The run is over: success, or the failure text. Sent exactly once, last.
struct Finished {
  Status outcome;
};

using ControllerMessage = std::variant<Progress, Finished>;
using MessageSender = Sender<ControllerMessage>;
using MessageReceiver = Receiver<ControllerMessage>;

}  // namespace borelu::controller

#pragma once

// What the controller thread sends the progress window: the messages the window accepts
// (`ui/progress/progress_contract.h`), by the controller's names.

#include "ui/progress/progress_contract.h"

namespace borelu::controller {

using Progress = ui::progress::Progress;
using Finished = ui::progress::Finished;
using ControllerMessage = ui::progress::WindowMessage;
using MessageSender = ui::progress::MessageSender;
using MessageReceiver = ui::progress::MessageReceiver;

}  // namespace borelu::controller

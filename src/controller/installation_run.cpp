#include "controller/installation_run.h"

#include <thread>

#include "controller/cancel_state.h"
#include "controller/controller_message.h"
#include "controller/install_effects.h"
#include "controller/install_run.h"
#include "manifest/update_host.h"
#include "ui/language.h"
#include "ui/progress/progress_window.h"
#include "ui/task_dialog.h"
#include "win/timeline.h"

namespace borelu::controller {
namespace {

// The cancel state as the progress window asks it: its Cancel requests one, and the window
// withdraws its Cancel once the controller has asked Windows for elevation.
class WindowCancel final : public ui::progress::CancelRequest {
 public:
  explicit WindowCancel(CancelState& cancel) : cancel_(cancel) {}
  bool request_cancel() override { return cancel_.request_cancel(); }
  [[nodiscard]] bool cancel_withdrawn() const override {
    return cancel_.phase() == CancelState::Phase::elevation_started;
  }

 private:
  CancelState& cancel_;
};

}  // namespace

Status run_installation(const options::SetupOptions& confirmed) {
  auto [sender, receiver] = make_channel<ControllerMessage>();
  CancelState cancel;
  const InstallInput input{confirmed, ui::interface_language()};

  // A thread that cannot be started throws, and the process ends: there is no way to go on.
  std::thread controller([&input, &cancel, sender = std::move(sender)] {
    const auto effects = machine_effects();
    sender.send(Finished{run_install(input, *effects, cancel, sender,
                                     {manifest::PINNED_KEY_DOCUMENT, manifest::UPDATE_HOST})});
  });

  WindowCancel window_cancel(cancel);
  const auto window =
      ui::progress::run_progress_window(std::move(receiver), window_cancel, input.language);
  // Without a result the window was closed or never opened: the controller is asked to stop
  // (it no longer can once it has asked for elevation) and is always waited for.
  if (!window || !*window) {
    cancel.request_cancel();
  }
  controller.join();
  if (!window) {
    return fail("Unable to open the installation window.");
  }
  if (!*window) {
    return fail(std::string(kCancelledMessage));
  }
  if (!**window) {
    return **window;
  }
  win::timeline::at("success dialog asked for");
  ui::show_success_dialog();
  return {};
}

}  // namespace borelu::controller

#include "controller/install_run.h"

#include "controller/progress_text.h"
#include "core/path_text.h"
#include "manifest/file_names.h"
#include "protocol/worker_outcome.h"
#include "protocol/worker_request.h"
#include "ui/catalogue.h"

namespace borelu::controller {
namespace {

constexpr std::uint32_t kElevationDeclined = 1223;  // ERROR_CANCELLED

Result<std::uint64_t> millis_since_1970(std::chrono::system_clock::time_point now) {
  const auto since = now.time_since_epoch();
  if (since < std::chrono::system_clock::duration::zero()) {
    return fail("second time provided was later than self");
  }
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

// "<sentence> You can open …": a sentence that already ends with a full stop keeps only its own.
std::string shortcut_failure(std::string_view text) {
  if (text.ends_with('.')) {
    text.remove_suffix(1);
  }
  return "Borelu is installed, but its shortcuts could not be configured: " + std::string(text) +
         ". You can open Borelu.exe in the installation folder.";
}

// After the worker ended: first launch, then shortcuts and clean-up on success, or the worker's
// own failure text.
Status finish(const InstallInput& input, InstallEffects& effects, WorkerProcess& worker,
              std::string_view stage, std::string_view owner_sid, std::uint64_t start_millis) {
  const std::uint32_t exit_code = worker.exit_code().value_or(1);
  const auto folder = effects.installation_folder();
  if (!folder) {
    return std::unexpected(folder.error());
  }
  std::optional<std::string> record;
  if (exit_code != 0) {
    record = effects.read_failure_record(worker.process_id(), start_millis);
  }
  // A worker that found another installation running changed nothing, while the other one may be
  // replacing the installed files at this moment: nothing of them is started.
  const bool other_installation = record && *record == protocol::kAnotherInstallationRunning;
  const std::string application = join_path(*folder, manifest::APPLICATION_FILE);
  // A failed worker has restored the previous installation: start that one when it can run.
  if (!other_installation && effects.is_regular_file(application) &&
      (exit_code == 0 || effects.webview2_present(owner_sid))) {
    if (const auto launched = effects.launch(application); !launched && exit_code == 0) {
      return fail("Borelu is installed, but Windows could not open it: " + launched.error().text());
    }
  }
  if (exit_code != 0) {
    if (record) {
      return fail(std::move(*record));
    }
    return fail(
        "Installation did not finish. The previous Borelu files were retained. Check internet "
        "access and run Setup again; Microsoft WebView2 may still need to finish installing.");
  }
  if (const auto shortcuts =
          effects.configure_shortcuts(input.options.desktop, input.options.startMenu);
      !shortcuts) {
    return fail(shortcut_failure(shortcuts.error().text()));
  }
  effects.remove_stage_after_success(stage);
  return {};
}

}  // namespace

Status run_install(const InstallInput& input, InstallEffects& effects, CancelState& cancel,
                   const MessageSender& sender, const manifest::TrustAnchor& anchor) {
  const auto report = [&](std::uint32_t percent, std::string_view english) {
    report_progress(sender, percent, english, input.language);
  };

  const auto metadata = effects.fetch_metadata(cancel);
  if (!metadata) {
    return std::unexpected(metadata.error());
  }
  const auto release = manifest::verify_release_metadata(*metadata, anchor);
  if (!release) {
    return std::unexpected(release.error());
  }
  if (cancel.cancel_requested()) {
    return fail(std::string(kCancelledMessage));
  }
  const auto stage = effects.create_stage();
  if (!stage) {
    return std::unexpected(stage.error());
  }
  if (const auto downloaded = effects.download_release(
          *stage, *release, *metadata, cancel,
          [&](std::uint32_t percent, const std::string& line) { report(percent, line); });
      !downloaded) {
    return downloaded;
  }

  // The point of no return: from here on the window cannot cancel.
  if (!cancel.begin_elevation()) {
    return fail(std::string(kCancelledMessage));
  }
  report(100, ui::text::kVerified.english);

  const auto start_millis = millis_since_1970(effects.now());
  if (!start_millis) {
    return std::unexpected(start_millis.error());
  }
  const auto owner_sid = effects.owner_sid();
  if (!owner_sid) {
    return std::unexpected(owner_sid.error());
  }
  const auto executable = effects.executable_path();
  if (!executable) {
    return std::unexpected(executable.error());
  }
  if (const auto valid = options::validate(input.options); !valid) {
    return valid;
  }
  if (stage->find('"') != std::string::npos) {
    return fail("Invalid staging path.");
  }
  const std::string parameters = protocol::worker_parameters(
      protocol::WorkerRequest{*stage, *owner_sid, 0, protocol::Operation::setup, input.options});

  auto worker = effects.start_elevated(*executable, parameters);
  if (!worker) {
    if (worker.error().code == kElevationDeclined) {
      return fail(
          "Windows installation permission was cancelled. Your current Borelu is unchanged.");
    }
    return fail("Start Borelu installation worker: " + worker.error().system_text);
  }
  report(100, ui::text::kInstalling.english);

  if (!(*worker)->wait(WORKER_WAIT_MILLIS)) {
    return fail("Installer is still running. Wait before opening Borelu again.");
  }
  return finish(input, effects, **worker, *stage, *owner_sid, *start_millis);
}

}  // namespace borelu::controller

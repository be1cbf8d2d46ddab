#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "controller/cancel_state.h"
#include "controller/controller_message.h"
#include "controller/progress_text.h"
#include "core/failure.h"
#include "manifest/release.h"
#include "protocol/options.h"
#include "ui/language.h"

namespace borelu::controller {

inline constexpr std::uint32_t WORKER_WAIT_MILLIS = 900000;  // 15 minutes

// The elevated worker once started: its process, closed when this goes away.
class WorkerProcess {
 public:
  virtual ~WorkerProcess() = default;
  // Whether the process ended within `millis`; a failed wait counts as still running.
  [[nodiscard]] virtual bool wait(std::uint32_t millis) = 0;
  // The exit code, or nothing when it cannot be read.
  [[nodiscard]] virtual std::optional<std::uint32_t> exit_code() = 0;
  [[nodiscard]] virtual std::uint32_t process_id() = 0;
};

// Why the elevated start failed: the system's error code and its text.
struct StartFailure {
  std::uint32_t code = 0;
  std::string system_text;  // "<message> (os error N)"
};

// Everything the controller does to the machine. The installation run uses the real one; tests
// give their own to reach every branch. The decisions stay in `run_install`.
class InstallEffects {
 public:
  virtual ~InstallEffects() = default;
  [[nodiscard]] virtual Result<std::string> fetch_metadata(const CancelState& cancel) = 0;
  [[nodiscard]] virtual Result<std::string> create_stage() = 0;
  [[nodiscard]] virtual Status download_release(std::string_view stage,
                                                const manifest::Release& release,
                                                std::string_view metadata,
                                                const CancelState& cancel,
                                                const ProgressReporter& progress) = 0;
  [[nodiscard]] virtual std::chrono::system_clock::time_point now() = 0;
  [[nodiscard]] virtual Result<std::string> owner_sid() = 0;
  [[nodiscard]] virtual Result<std::string> executable_path() = 0;
  [[nodiscard]] virtual std::expected<std::unique_ptr<WorkerProcess>, StartFailure> start_elevated(
      std::string_view executable, std::string_view parameters) = 0;
  [[nodiscard]] virtual Result<std::string> installation_folder() = 0;
  [[nodiscard]] virtual bool is_regular_file(std::string_view path) = 0;
  [[nodiscard]] virtual bool webview2_present(std::string_view owner_sid) = 0;
  [[nodiscard]] virtual Status launch(std::string_view application) = 0;
  [[nodiscard]] virtual Status configure_shortcuts(bool desktop, bool start_menu) = 0;
  virtual void remove_stage_after_success(std::string_view stage) = 0;
  [[nodiscard]] virtual std::optional<std::string> read_failure_record(
      std::uint32_t worker_pid, std::uint64_t start_millis) = 0;
};

struct InstallInput {
  options::SetupOptions options;
  ui::Language language = ui::Language::english;
};

// The controller thread's work from the metadata request to the worker's outcome, first launch
// and shortcuts. Reports progress through `sender`; returns the run's result (the caller sends
// it as `Finished`). The release is trusted only as `anchor` verifies it.
[[nodiscard]] Status run_install(const InstallInput& input, InstallEffects& effects,
                                 CancelState& cancel, const MessageSender& sender,
                                 const manifest::TrustAnchor& anchor);

}  // namespace borelu::controller

#include "entry.h"

#include "apply/worker.h"
#include "controller/failure_record.h"
#include "protocol/worker_request.h"
#include "standard_error.h"
#include "win/redirection_trust.h"
#include "win/timeline.h"
#include "windows/process_identity.h"
#include "wizard_mode.h"

namespace borelu {
namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;

int run_worker_mode(std::span<const std::string> arguments) {
  // Before the worker touches any path: junctions a standard user made lead nowhere from here on.
  win::enforce_redirection_trust();
  const win::timeline::Span span("worker: run");
  const auto request = protocol::parse_worker_arguments(arguments);
  if (!request) {
    // A malformed worker command line is refused silently: no output, no record, no dialog.
    return kFailure;
  }
  // Only an elevated worker may write the record: the folder is the administrators'. What goes
  // wrong while writing it has nowhere else to go and is dropped.
  const auto record = [](const Failure& failure) {
    if (blocking::is_elevated()) {
      (void)controller::write_failure_record(failure.text());
    }
  };
  if (const auto outcome = apply::run_worker(*request, record); !outcome) {
    write_standard_error_line(outcome.error().text());
    return kFailure;
  }
  return kSuccess;
}

}  // namespace

int run_setup(std::span<const std::string> arguments) {
  switch (protocol::choose_run_mode(arguments)) {
    case protocol::RunMode::worker:
      return run_worker_mode(arguments);
    case protocol::RunMode::wizard:
      if (const auto outcome = run_wizard_mode(); !outcome) {
        report_client_failure(outcome.error().text());
        return kFailure;
      }
      return kSuccess;
    case protocol::RunMode::refused:
      report_client_failure(protocol::kRefusedCommandLineMessage);
      return kFailure;
  }
  return kFailure;
}

}  // namespace borelu

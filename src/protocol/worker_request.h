#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/options.h"

namespace borelu::protocol {

enum class Operation { setup, update };

// The validated worker command line. Stage folder and owner SID are passed on unchecked: the
// worker validates them itself.
struct WorkerRequest {
  std::string stageDir;
  std::string ownerSid;
  std::uint32_t parentPid = 0;
  Operation operation = Operation::setup;
  std::optional<options::SetupOptions> preferences;

  friend bool operator==(const WorkerRequest&, const WorkerRequest&) = default;
};

enum class RunMode { wizard, worker, refused };

inline constexpr std::string_view kRefusedCommandLineMessage =
    "BoreluSetup accepts no custom download URL or program command.";

// Chooses the mode from the arguments after the program path.
[[nodiscard]] RunMode choose_run_mode(std::span<const std::string> arguments);

// An unsigned 32-bit decimal number: optional "+", one or more digits, nothing else.
[[nodiscard]] std::optional<std::uint32_t> parse_process_id(std::string_view text);

// The worker's argument list (argument 0 is "--worker"), in the only two accepted forms; nothing
// for any other list. Preferences are decoded and validated here.
[[nodiscard]] std::optional<WorkerRequest> parse_worker_arguments(
    std::span<const std::string> arguments);

// The parameter text that starts a worker for `request`, as the client hands it to the elevated
// start: the stage path is the only quoted value. The caller guarantees that the stage path holds
// no double quote.
[[nodiscard]] std::string worker_parameters(const WorkerRequest& request);

}  // namespace borelu::protocol

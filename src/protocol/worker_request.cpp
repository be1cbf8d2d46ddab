#include "protocol/worker_request.h"

#include <limits>

namespace borelu::protocol {

RunMode choose_run_mode(std::span<const std::string> arguments) {
  if (arguments.empty()) {
    return RunMode::wizard;
  }
  return arguments[0] == "--worker" ? RunMode::worker : RunMode::refused;
}

std::optional<std::uint32_t> parse_process_id(std::string_view text) {
  if (text.starts_with('+')) {
    text.remove_prefix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > std::numeric_limits<std::uint32_t>::max()) {
      return std::nullopt;
    }
  }
  return static_cast<std::uint32_t>(value);
}

std::optional<WorkerRequest> parse_worker_arguments(std::span<const std::string> arguments) {
  const std::size_t count = arguments.size();
  if ((count != 8 && count != 10) || arguments[0] != "--worker" || arguments[1] != "--stage" ||
      arguments[3] != "--owner-sid" || arguments[5] != "--parent-pid") {
    return std::nullopt;
  }
  const std::string& mode = arguments[7];
  if (mode != "--update" && mode != "--setup") {
    return std::nullopt;
  }
  WorkerRequest request;
  if (count == 10) {
    if (arguments[8] != "--options" || mode != "--setup") {
      return std::nullopt;
    }
    auto preferences = options::decode(arguments[9]);
    if (!preferences || !options::validate(*preferences)) {
      return std::nullopt;
    }
    request.preferences = std::move(*preferences);
  }
  const auto parent = parse_process_id(arguments[6]);
  if (!parent) {
    return std::nullopt;
  }
  request.stageDir = arguments[2];
  request.ownerSid = arguments[4];
  request.parentPid = *parent;
  request.operation = mode == "--update" ? Operation::update : Operation::setup;
  return request;
}

std::string worker_parameters(const WorkerRequest& request) {
  std::string text = "--worker --stage \"";
  text += request.stageDir;
  text += "\" --owner-sid ";
  text += request.ownerSid;
  text += " --parent-pid ";
  text += std::to_string(request.parentPid);
  text += request.operation == Operation::update ? " --update" : " --setup";
  if (request.preferences) {
    text += " --options ";
    text += options::encode(*request.preferences);
  }
  return text;
}

}  // namespace borelu::protocol

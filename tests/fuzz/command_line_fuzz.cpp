// What arrives on the worker's command line: the argument list (NUL-separated here) and the
// encoded preferences. Accepted preferences encode back to the same text and their record file
// reads back to the same values; an accepted argument list hands its values on unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "manifest/json_value.h"
#include "protocol/options.h"
#include "protocol/worker_request.h"

namespace {

void check_options(std::string_view text) {
  const auto decoded = borelu::options::decode(text);
  if (!decoded) {
    return;
  }
  if (borelu::options::encode(*decoded) != text) {
    std::abort();
  }
  const auto json = borelu::manifest::parse_json(borelu::options::to_json(*decoded));
  if (json) {  // a language or terms text that is not UTF-8 makes no record
    const auto& members = json->members;
    if (members.size() != 5 || members[0].value.text != decoded->language ||
        members[1].value.boolean != decoded->startup ||
        members[2].value.boolean != decoded->desktop ||
        members[3].value.boolean != decoded->startMenu ||
        members[4].value.text != decoded->acceptedPolicy) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  check_options(input);

  std::vector<std::string> arguments;
  std::size_t start = 0;
  for (std::size_t end; (end = input.find('\0', start)) != std::string_view::npos; start = end + 1)
    arguments.emplace_back(input.substr(start, end - start));
  arguments.emplace_back(input.substr(start));
  (void)borelu::protocol::choose_run_mode(arguments);
  if (const auto request = borelu::protocol::parse_worker_arguments(arguments)) {
    if (request->stageDir != arguments[2] || request->ownerSid != arguments[4] ||
        request->preferences.has_value() != (arguments.size() == 10) ||
        !borelu::options::validate(request->preferences.value_or(
            borelu::options::SetupOptions{"en", false, false, true, "2026-10-19"}))) {
      std::abort();
    }
  }
  return 0;
}

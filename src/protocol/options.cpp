#include "protocol/options.h"

#include <algorithm>

#include "core/json_text.h"

namespace borelu::options {
namespace {

template <std::size_t N>
bool listed(const std::array<std::string_view, N>& list, std::string_view value) {
  return std::ranges::find(list, value) != list.end();
}

char flag(bool value) {
  return value ? '1' : '0';
}

void append_member(std::string& out, std::string_view name, bool value) {
  out.push_back(',');
  append_json_string(out, name);
  out += value ? ":true" : ":false";
}

}  // namespace

Status validate(const SetupOptions& options) {
  if (!listed(SUPPORTED_LANGUAGES, options.language) ||
      !listed(ACCEPTED_POLICY_VERSIONS, options.acceptedPolicy)) {
    return fail(std::string(kValidationMessage));
  }
  return {};
}

std::string encode(const SetupOptions& options) {
  std::string text = options.language;
  text.push_back(':');
  text.push_back(flag(options.startup));
  text.push_back(flag(options.desktop));
  text.push_back(flag(options.startMenu));
  text.push_back(':');
  text += options.acceptedPolicy;
  return text;
}

std::optional<SetupOptions> decode(std::string_view text) {
  const auto first = text.find(':');
  if (first == std::string_view::npos) {
    return std::nullopt;
  }
  const auto second = text.find(':', first + 1);
  if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view flags = text.substr(first + 1, second - first - 1);
  if (flags.size() != 3 ||
      !std::ranges::all_of(flags, [](char c) { return c == '0' || c == '1'; })) {
    return std::nullopt;
  }
  SetupOptions options;
  options.language = std::string(text.substr(0, first));
  options.startup = flags[0] == '1';
  options.desktop = flags[1] == '1';
  options.startMenu = flags[2] == '1';
  options.acceptedPolicy = std::string(text.substr(second + 1));
  return options;
}

std::string to_json(const SetupOptions& options) {
  std::string json = "{";
  append_json_string(json, "language");
  json.push_back(':');
  append_json_string(json, options.language);
  append_member(json, "startup", options.startup);
  append_member(json, "desktop", options.desktop);
  append_member(json, "startMenu", options.startMenu);
  json.push_back(',');
  append_json_string(json, "acceptedPolicy");
  json.push_back(':');
  append_json_string(json, options.acceptedPolicy);
  json.push_back('}');
  return json;
}

}  // namespace borelu::options

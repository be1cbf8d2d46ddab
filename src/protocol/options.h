#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/failure.h"

namespace borelu::options {

inline constexpr std::array<std::string_view, 2> SUPPORTED_LANGUAGES{"ar", "en"};
inline constexpr std::array<std::string_view, 6> ACCEPTED_POLICY_VERSIONS{
    "2026-10-06", "2026-10-07", "2026-10-10", "2026-10-16", "2026-10-18", "2026-10-19"};
// The terms version the wizard records when the user accepts the terms.
inline constexpr std::string_view TERMS_VERSION = "2026-10-19";

// Where the worker keeps the preferences, in the installation folder.
inline constexpr std::string_view SETUP_OPTIONS_FILE = "setup-options.json";

inline constexpr std::string_view kValidationMessage =
    "Choose a supported language and accept the current terms before installing.";

// The user's installation preferences. Default-constructed, it holds the wizard's initial
// choices, which are not installable until the user accepts the terms.
struct SetupOptions {
  std::string language = "en";
  bool startup = false;
  bool desktop = false;
  bool startMenu = true;
  std::string acceptedPolicy;

  friend bool operator==(const SetupOptions&, const SetupOptions&) = default;
};

// Language and terms version must be listed, byte for byte.
[[nodiscard]] Status validate(const SetupOptions& options);

// "language:SDM:acceptedPolicy" with S, D, M the startup, desktop and Start menu flags as 0/1.
[[nodiscard]] std::string encode(const SetupOptions& options);

// The inverse of `encode`; nothing when the text does not have that shape. Not validated.
[[nodiscard]] std::optional<SetupOptions> decode(std::string_view text);

// The bytes of "setup-options.json": compact, members in a fixed order, no trailing line feed.
[[nodiscard]] std::string to_json(const SetupOptions& options);

}  // namespace borelu::options

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/failure.h"

namespace borelu::blocking {

inline constexpr std::size_t MAX_POLICY_BYTES = 4096;
inline constexpr std::uint32_t POLICY_VERSION = 1;
inline constexpr std::string_view POLICY_FILE = "blocking-policy.json";

inline constexpr std::string_view kInvalidPolicy = "Invalid blocking policy.";
inline constexpr std::string_view kNoPolicy = "Install the Borelu blocking service first.";

// "blocking-policy.json", written by the blocking service: the one user and the one build of the
// application it trusts.
struct Policy {
  std::uint32_t version = 0;
  std::string owner_sid;
  std::string client_sha256;
  std::string service_sha256;

  friend bool operator==(const Policy&, const Policy&) = default;
};

// The policy file's bytes read strictly: at most 4096 bytes (tested before parsing), every
// member present once with its type, no other member, then the reading rules.
[[nodiscard]] Result<Policy> parse_blocking_policy(std::string_view bytes);

inline constexpr std::string_view kReadPolicy = "Read blocking policy";

// The bytes of "blocking-policy.json" of the installation folder, at most one more than a policy
// may have; nothing when there is no such file. A file that exists but cannot be opened or read
// is the failure "Read blocking policy" with the system error.
[[nodiscard]] Result<std::optional<std::string>> read_blocking_policy_file();

// "blocking-policy.json" of the installation folder, read strictly; without the file: "Install
// the Borelu blocking service first.".
[[nodiscard]] Result<Policy> read_blocking_policy();

}  // namespace borelu::blocking

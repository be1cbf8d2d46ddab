#pragma once

#include <string_view>

namespace borelu::blocking {

inline constexpr std::size_t MAX_OWNER_SID_LENGTH = 183;

// An account SID of a person: "S-1-5-21-" (local and domain accounts) or "S-1-12-1-" (Azure AD
// accounts), at most 183 characters of "S", "-" and digits. Service and well-known SIDs fail.
[[nodiscard]] bool is_valid_owner_sid(std::string_view text);

}  // namespace borelu::blocking

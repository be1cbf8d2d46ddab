#include "windows/policy.h"

#include <array>

#include "manifest/json_value.h"
#include "manifest/strict_record.h"
#include "windows/owner_sid.h"

namespace borelu::blocking {

Result<Policy> parse_blocking_policy(std::string_view bytes) {
  if (bytes.size() > MAX_POLICY_BYTES) {
    return fail(std::string(kInvalidPolicy));
  }
  static constexpr std::array<std::string_view, 4> kNames{"version", "owner_sid", "client_sha256",
                                                          "service_sha256"};
  const auto value = manifest::parse_json(bytes);
  const auto members =
      value ? manifest::record_members(*value, kNames, manifest::RepeatedKeys::refused)
            : std::nullopt;
  if (!members) {
    return fail(std::string(kInvalidPolicy));
  }
  const auto version = manifest::read_u32(*(*members)[0]);
  const std::string* owner = manifest::read_string(*(*members)[1]);
  const std::string* client = manifest::read_string(*(*members)[2]);
  const std::string* service = manifest::read_string(*(*members)[3]);
  if (!version || owner == nullptr || client == nullptr || service == nullptr) {
    return fail(std::string(kInvalidPolicy));
  }
  // Only the digests' lengths are tested: a digest that is not hex never matches a file.
  if (*version != POLICY_VERSION || !is_valid_owner_sid(*owner) || client->size() != 64 ||
      service->size() != 64) {
    return fail(std::string(kInvalidPolicy));
  }
  return Policy{*version, *owner, *client, *service};
}

}  // namespace borelu::blocking

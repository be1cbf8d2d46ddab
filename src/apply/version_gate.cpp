#include "apply/version_gate.h"

#include "manifest/installation.h"
#include "manifest/records.h"
#include "storage/path_safety.h"
#include "windows/policy.h"

namespace borelu::apply {
namespace {

Status compare_release_versions(protocol::Operation operation, std::string_view installed,
                                std::string_view incoming) {
  const auto old_version = manifest::parse_release_version(installed);
  if (!old_version) {
    return std::unexpected(old_version.error());
  }
  const auto new_version = manifest::parse_release_version(incoming);
  if (!new_version) {
    return std::unexpected(new_version.error());
  }
  if (operation == protocol::Operation::update && !(*new_version > *old_version)) {
    return fail("This update is not newer than the installed release.");
  }
  if (operation == protocol::Operation::setup && *new_version < *old_version) {
    return fail("An older release cannot replace the installed version.");
  }
  return {};
}

}  // namespace

Result<std::optional<std::string>> check_owner_and_version(protocol::Operation operation,
                                                           std::string_view owner_sid,
                                                           const manifest::Release& release) {
  const auto folder = manifest::installation_folder();
  if (!folder) {
    return std::unexpected(folder.error());
  }
  if (auto plain = storage::reject_linked_path(*folder); !plain) {
    return std::unexpected(plain.error());
  }
  const auto policy_file = blocking::read_blocking_policy_file();
  if (!policy_file) {
    return std::unexpected(policy_file.error());
  }
  // No policy, or one that does not read, means there is no owner to protect yet.
  if (*policy_file) {
    if (const auto policy = blocking::parse_blocking_policy(**policy_file);
        policy && policy->owner_sid != owner_sid) {
      return fail("This Borelu installation belongs to a different Windows user.");
    }
  }
  auto installed_bytes = manifest::read_installed_release_bytes();
  if (!installed_bytes) {
    return std::unexpected(installed_bytes.error());
  }
  if (!*installed_bytes) {
    if (operation == protocol::Operation::update) {
      return fail(std::string(manifest::kNoInstalledRelease));
    }
    return installed_bytes;  // a setup with nothing to compare with
  }
  const auto installed = manifest::verify_release_metadata(**installed_bytes);
  if (!installed) {
    if (operation == protocol::Operation::update) {
      return std::unexpected(installed.error());
    }
    return installed_bytes;  // a setup over a record that does not verify: nothing to compare with
  }
  if (auto allowed = compare_release_versions(operation, installed->version, release.version);
      !allowed) {
    return std::unexpected(allowed.error());
  }
  return installed_bytes;
}

}  // namespace borelu::apply

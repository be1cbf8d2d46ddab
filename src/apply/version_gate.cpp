#include "apply/version_gate.h"

#include "apply/path_safety.h"
#include "manifest/installation.h"
#include "windows/policy.h"

namespace borelu::apply {
namespace {

Status compare_release_versions(Operation operation, std::string_view installed,
                                std::string_view incoming) {
  const auto old_version = manifest::parse_release_version(installed);
  if (!old_version) {
    return std::unexpected(old_version.error());
  }
  const auto new_version = manifest::parse_release_version(incoming);
  if (!new_version) {
    return std::unexpected(new_version.error());
  }
  if (operation == Operation::update && !(*new_version > *old_version)) {
    return fail("This update is not newer than the installed release.");
  }
  if (operation == Operation::setup && *new_version < *old_version) {
    return fail("An older release cannot replace the installed version.");
  }
  return {};
}

}  // namespace

Status check_owner_and_version(Operation operation, std::string_view owner_sid,
                               const manifest::Release& release) {
  const auto folder = manifest::installation_folder();
  if (!folder) {
    return std::unexpected(folder.error());
  }
  if (auto plain = reject_linked_path(*folder); !plain) {
    return plain;
  }
  // An unreadable policy means there is no owner to protect yet.
  if (const auto policy = blocking::read_blocking_policy();
      policy && policy->owner_sid != owner_sid) {
    return fail("This Borelu installation belongs to a different Windows user.");
  }
  const auto installed = manifest::read_installed_release();
  if (!installed) {
    if (operation == Operation::update) {
      return std::unexpected(installed.error());
    }
    return {};  // a setup with nothing to compare with
  }
  return compare_release_versions(operation, installed->version, release.version);
}

}  // namespace borelu::apply

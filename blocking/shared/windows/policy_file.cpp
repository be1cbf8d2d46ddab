#include "core/path_text.h"
#include "manifest/installation.h"
#include "win/files.h"
#include "windows/policy.h"

namespace borelu::blocking {

Result<std::optional<std::string>> read_blocking_policy_file() {
  const auto folder = manifest::installation_folder();
  if (!folder) {
    return std::unexpected(folder.error());
  }
  return win::read_existing_file(join_path(*folder, POLICY_FILE), MAX_POLICY_BYTES + 1,
                                 kReadPolicy);
}

Result<Policy> read_blocking_policy() {
  const auto bytes = read_blocking_policy_file();
  if (!bytes) {
    return std::unexpected(bytes.error());
  }
  if (!*bytes) {
    return fail(std::string(kNoPolicy));
  }
  return parse_blocking_policy(**bytes);
}

}  // namespace borelu::blocking

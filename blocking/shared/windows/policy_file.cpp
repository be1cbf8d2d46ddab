#include "core/path_text.h"
#include "manifest/installation.h"
#include "win/files.h"
#include "windows/policy.h"

namespace borelu::blocking {

Result<Policy> read_blocking_policy() {
  const auto folder = manifest::installation_folder();
  if (!folder) {
    return std::unexpected(folder.error());
  }
  const auto bytes = win::read_whole_file(join_path(*folder, POLICY_FILE), MAX_POLICY_BYTES + 1);
  if (!bytes) {
    return fail(std::string(kNoPolicy));
  }
  return parse_blocking_policy(*bytes);
}

}  // namespace borelu::blocking

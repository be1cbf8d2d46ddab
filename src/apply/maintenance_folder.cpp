#include "apply/maintenance_folder.h"

#include "manifest/installation.h"
#include "storage/path_safety.h"
#include "win/files.h"

namespace borelu::apply {

Result<std::string> prepare_maintenance_folder() {
  auto folder = manifest::maintenance_folder_path();
  if (!folder) {
    return folder;
  }
  if (auto checked = storage::reject_linked_path(*folder); !checked) {
    return std::unexpected(checked.error());
  }
  if (auto made = win::create_directories(*folder); !made) {
    return std::unexpected(made.error());
  }
  if (auto stamped = storage::protect_path(*folder); !stamped) {
    return std::unexpected(stamped.error());
  }
  return folder;
}

}  // namespace borelu::apply

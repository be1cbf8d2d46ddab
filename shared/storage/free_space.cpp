#include "storage/free_space.h"

#include <windows.h>

#include "storage/disk_space.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::storage {

Status check_free_space(std::string_view folder, std::uint64_t needed) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(win::widen(folder).c_str(), &available, nullptr, nullptr)) {
    return std::unexpected(win::last_os_failure("Check free disk space"));
  }
  return check_space(needed, available.QuadPart);
}

}  // namespace borelu::storage

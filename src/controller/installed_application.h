#pragma once

#include <string>
#include <string_view>

#include "core/failure.h"
#include "core/path_text.h"
#include "manifest/file_names.h"
#include "manifest/installation.h"

namespace borelu::controller {

// Where the installed application is, whether or not it is there.
[[nodiscard]] inline Result<std::string> installed_application_path() {
  const auto folder = manifest::installation_folder();
  if (!folder) {
    return folder;
  }
  return join_path(*folder, manifest::APPLICATION_FILE);
}

}  // namespace borelu::controller

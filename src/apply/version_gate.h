#pragma once

#include <string_view>

#include "core/failure.h"
#include "manifest/release.h"
#include "worker_request.h"

namespace borelu::apply {

// Who may install over whom and which release may replace which: an installation belongs to the
// owner its blocking policy names; an update needs an installed release and must be strictly
// newer; a setup may repair the same release but never go back to an older one.
[[nodiscard]] Status check_owner_and_version(Operation operation, std::string_view owner_sid,
                                             const manifest::Release& release);

}  // namespace borelu::apply

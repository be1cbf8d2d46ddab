#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "manifest/release.h"
#include "protocol/worker_request.h"

namespace borelu::apply {

// Who may install over whom and which release may replace which: an installation belongs to the
// owner its blocking policy names; an update needs an installed release and must be strictly
// newer; a setup may repair the same release but never go back to an older one. A record that
// exists but cannot be read stops the run: its check must not be skipped because someone holds
// the file open. Returns the bytes of "installed-release.json" as read (nothing without the
// file), the one reading of it in a run.
[[nodiscard]] Result<std::optional<std::string>> check_owner_and_version(
    protocol::Operation operation, std::string_view owner_sid, const manifest::Release& release);

}  // namespace borelu::apply

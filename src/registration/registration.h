#pragma once

#include <string_view>

#include "core/failure.h"
#include "manifest/release.h"

namespace borelu::registration {

// The machine-wide uninstall entry (64-bit view) for a verified release. Registering again
// overwrites the values in place.
[[nodiscard]] Status register_uninstall_entry(const manifest::Release& release);

// Deletes the uninstall entry with its values and subkeys; an absent entry is fine.
[[nodiscard]] Status remove_uninstall_entry();

// Sets or deletes the installing user's Run value, under HKEY_USERS and the user's SID (the
// worker may run as another account, so never HKEY_CURRENT_USER).
[[nodiscard]] Status set_startup_entry(std::string_view owner_sid, bool present,
                                       std::string_view application_path);

// Whether the user's Run value exists as a string.
[[nodiscard]] bool startup_entry_present(std::string_view owner_sid);

}  // namespace borelu::registration

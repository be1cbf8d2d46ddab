#pragma once

#include <string>
#include <string_view>

#include "core/failure.h"
#include "win/handles.h"

namespace borelu::apply {

// Owner and group Administrators; a protected DACL with full access for LocalSystem and
// Administrators and read/execute for Users, inherited by files and sub-folders.
inline constexpr std::wstring_view PROTECTED_DESCRIPTOR =
    L"O:BAG:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)";

inline constexpr std::string_view kLinkedPath =
    "Linked installation/update paths are not permitted.";
inline constexpr std::string_view kLinkedFile = "Linked/non-regular update files are not allowed.";

// Fails when the path or any existing ancestor up to the root is a reparse point (symbolic
// link, junction, mount point). Components that do not exist yet are skipped.
[[nodiscard]] Status reject_linked_path(std::string_view path);

// Opens a file to be trusted: read access, other readers only, links not followed. It must be
// a regular file with exactly one link. Callers read through the returned handle, which keeps
// writers out while it is held, so the file cannot change between its check and its use.
[[nodiscard]] Result<win::FileHandle> open_regular_file(std::string_view path);

// Stamps the protected descriptor on a file or folder.
[[nodiscard]] Status protect_path(std::string_view path);

// The maintenance folder, created with its parents if missing, checked for links and protected.
[[nodiscard]] Result<std::string> prepare_maintenance_folder();

}  // namespace borelu::apply

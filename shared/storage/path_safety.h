#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "win/handles.h"

namespace borelu::storage {

// Owner and group Administrators; a protected DACL with full access for LocalSystem and
// Administrators and read/execute for Users, inherited by files and sub-folders.
inline constexpr std::wstring_view PROTECTED_DESCRIPTOR =
    L"O:BAG:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;GRGX;;;BU)";

inline constexpr std::string_view kLinkedPath =
    "Linked installation/update paths are not permitted.";
inline constexpr std::string_view kLinkedFile = "Linked/non-regular update files are not allowed.";
// The label of a failure to open what the worker reads from the stage.
inline constexpr std::string_view READ_VERIFIED_UPDATE = "Read verified update";

// Whether the open file or folder that `path` names is a link (a reparse point that leads
// elsewhere: symbolic link, junction, mount point, or one whose tag cannot be read; see
// `redirects`). A OneDrive placeholder or a file compressed by Windows is no link.
[[nodiscard]] Result<bool> opened_link(HANDLE handle, std::string_view path);

// Whether the file or folder at `path` is a link, as `opened_link` decides; nothing when it does
// not exist.
[[nodiscard]] Result<std::optional<bool>> is_link(std::string_view path);

// Fails when the path or any existing ancestor up to the root is a link (symbolic link, junction,
// mount point; see `is_link`). Components that do not exist yet are skipped.
[[nodiscard]] Status reject_linked_path(std::string_view path);

// Whether the open file (opened as itself, links not followed) is an ordinary file with exactly
// one name that is not a link, and is the very file `path` names (Wine follows a Unix symbolic
// link to a file even when asked not to; the final path tells).
[[nodiscard]] bool is_plain_file(HANDLE file, std::string_view path);

// Opens a file to be trusted: read access, other readers only, links not followed. It must be
// a regular file with exactly one link, not a link itself; it is read as programs read it (a file
// compressed by Windows through its filter). Callers read through the returned handle, which
// keeps writers out while it is held, so the file cannot change between its check and its use.
[[nodiscard]] Result<win::FileHandle> open_regular_file(std::string_view path);

// Whether the open `file` (opened as itself) is an ordinary file with exactly one name, no link
// by the link rule, and the entry `name` of the open `folder` itself rather than where a link led.
[[nodiscard]] bool is_plain_child(HANDLE folder, HANDLE file, std::wstring_view name);

// `open_regular_file` for the child `name` of a folder held open and checked: the name is opened
// relative to the folder's handle, as itself, so nothing done to the folder's path after its
// check leads anywhere else.
[[nodiscard]] Result<win::FileHandle> open_regular_child(HANDLE folder, std::string_view name);

// Stamps the protected descriptor on a file or folder.
[[nodiscard]] Status protect_path(std::string_view path);

}  // namespace borelu::storage

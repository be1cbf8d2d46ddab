#pragma once

// Files and folders reached through a folder that is already open, never by a path read again:
// once a folder's handle has been checked, whatever its name comes to mean afterwards (a junction
// put in its place, a link to another volume or to the object manager), every child opened
// relative to the handle is a child of the folder that was checked. A child is opened as itself
// (a link among the children is the link, not where it leads) unless asked for through its
// filter.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/failure.h"
#include "win/handles.h"

namespace borelu::win {

// What a child must be to be opened.
enum class ChildKind { file, folder };

// How a child is opened: the access asked for and the sharing granted to others, and whether as
// itself or, for a file already held open as itself sharing no deletion (so that its name cannot
// be moved or replaced meanwhile) and checked, through its filter as programs read it: a file
// compressed by Windows or a cloud file shows its content only so.
struct ChildAccess {
  DWORD access = FILE_READ_ATTRIBUTES;
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  bool throughFilter = false;
};

// Opens the folder at `path` as itself (a reparse point at its last component is not followed;
// `reject_linked_path` judges the components above it), with read access for listing and
// reading its attributes plus `extra` access, sharing reading and writing but not deletion: while
// the handle is held the folder can be neither renamed nor removed, so its name keeps leading to
// it (Wine, which keeps a handle's children by name, needs that as much as Windows does). The
// system is told that whoever serves the open may identify this process but not act as it.
[[nodiscard]] Result<FileHandle> open_folder_unfollowed(std::string_view path, DWORD extra = 0);

// Opens the child `name` (one name, no separator, not "." or "..") of the open `folder`, for
// synchronous reading and writing through the returned handle. The child must exist
// and be of `kind`. A failure is the system's text for the status.
[[nodiscard]] Result<FileHandle> open_child(HANDLE folder, std::wstring_view name, ChildKind kind,
                                            const ChildAccess& how);

// One entry of a folder as its listing shows it.
struct ChildEntry {
  std::wstring name;
  DWORD attributes = 0;
};

// Every entry of the open `folder` but "." and "..", read through its handle.
[[nodiscard]] Result<std::vector<ChildEntry>> child_entries(HANDLE folder);

// Deletes the open file or folder through its handle (opened with DELETE access): its name goes
// at once where the file system supports it (POSIX semantics), otherwise when the last handle to
// it is closed. A folder must be empty by then.
[[nodiscard]] Status delete_through(HANDLE handle);

// Whether `child` is the entry `name` of `folder` itself and not where a link leads: its final
// path is the folder's joined with the name (Wine follows a Unix symbolic link even when asked
// not to, and reports what it leads to as an ordinary file or folder).
[[nodiscard]] bool is_named_child(HANDLE folder, HANDLE child, std::wstring_view name);

// Whether the open `file` (opened as itself) is an ordinary file with exactly one name, no
// reparse point of any kind, and the entry `name` of `folder` itself (`is_named_child`).
[[nodiscard]] bool is_plain_child_file(HANDLE folder, HANDLE file, std::wstring_view name);

// Whether two open handles are one file: same volume, same file index.
[[nodiscard]] bool same_file(HANDLE first, HANDLE second);

// Whether the open file or folder is a reparse point, as its handle reports it (true when that
// cannot be read).
[[nodiscard]] bool is_reparse_point(HANDLE handle);

}  // namespace borelu::win

#pragma once

#include <windows.h>

#include <cstddef>
#include <limits>
#include <string>

#include "core/failure.h"
#include "win/handles.h"

namespace borelu::win {

// An anonymous pipe to or from a child process. Only the child's end is inheritable.
struct ChildPipe {
  Handle read;
  Handle write;
};

enum class ChildEnd { reads, writes };

[[nodiscard]] Result<ChildPipe> child_pipe(ChildEnd child);

// Reads a pipe until every writer has closed it, keeping the first `keep` bytes. The rest is read
// and dropped, so a child that writes much never blocks on a full pipe.
[[nodiscard]] std::string drain_pipe(HANDLE pipe,
                                     std::size_t keep = std::numeric_limits<std::size_t>::max());

// The standard handles a child is given; they must be inheritable.
struct StandardHandles {
  HANDLE input = nullptr;
  HANDLE output = nullptr;
  HANDLE error = nullptr;
};

// A started child: both handles owned.
struct StartedProcess {
  Handle process;
  Handle thread;
  DWORD id = 0;
};

// CreateProcessW of `command_line` exactly as written, with the creation `flags`. With `standard`
// handles the child gets them and inherits the inheritable handles; without, it inherits none.
// The program is `application` when given, else the command line's first word. A failure is the
// bare system error text.
[[nodiscard]] Result<StartedProcess> start_process(std::wstring command_line, DWORD flags,
                                                   const StandardHandles* standard = nullptr,
                                                   const wchar_t* application = nullptr);

}  // namespace borelu::win

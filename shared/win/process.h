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

// A pipe drained to its end on a thread of its own (what it reads is dropped), so that a caller
// can read another pipe of the same child meanwhile. The thread is waited for when the owner goes.
class PipeDrain {
 public:
  [[nodiscard]] static Result<PipeDrain> start(HANDLE pipe);
  PipeDrain(PipeDrain&&) noexcept = default;
  PipeDrain& operator=(PipeDrain&&) noexcept = default;
  ~PipeDrain();

 private:
  explicit PipeDrain(Handle thread) : thread_(std::move(thread)) {}
  Handle thread_;
};

// The standard handles a child is given; they must be inheritable.
struct StandardHandles {
  HANDLE input = nullptr;
  HANDLE output = nullptr;
  HANDLE error = nullptr;
};

// What a child starts with besides its command line. Unset members leave the system's default.
struct ChildSetup {
  // The child gets these as its standard handles and inherits them and no other handle; without
  // them it inherits nothing.
  const StandardHandles* standard = nullptr;
  // The program; else the command line's first word.
  const wchar_t* application = nullptr;
  // Its current folder; else the caller's.
  const wchar_t* folder = nullptr;
  // Its environment, a block of "NAME=value" strings each ended by a null, and one null more;
  // else a copy of the caller's.
  const wchar_t* environment = nullptr;
  // A job the child belongs to before it runs its first instruction.
  HANDLE job = nullptr;
};

// A started child: both handles owned.
struct StartedProcess {
  Handle process;
  Handle thread;
  DWORD id = 0;
};

// CreateProcessW of `command_line` exactly as written, with the creation `flags` and `setup`.
// A failure is the bare system error text.
[[nodiscard]] Result<StartedProcess> start_process(std::wstring command_line, DWORD flags,
                                                   const ChildSetup& setup = {});

// A job whose processes are ended when its last handle is closed: a child in it cannot outlive
// the process that holds the handle, not even one that was killed.
[[nodiscard]] Result<Handle> kill_on_close_job();

}  // namespace borelu::win

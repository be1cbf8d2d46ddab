#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dialog_reader.h"
#include "win/handles.h"

namespace borelu::testing {

struct ProcessOutcome {
  DWORD exitCode = 0;
  DWORD processId = 0;
  std::string standardOutput;
  std::string standardError;
  std::vector<DialogSnapshot> dialogs;  // every dialog it showed, each closed with OK
};

enum class StandardHandles { pipes, none };

// Starts `command_line` exactly as written (no quoting added), waits for it and collects what it
// wrote and the dialogs it showed (each read and closed with OK). With StandardHandles::none the
// child gets no standard handles at all, as a GUI program started from Explorer does.
ProcessOutcome run_process(const std::wstring& command_line,
                           StandardHandles handles = StandardHandles::pipes);

// A process that is ended when the owner goes. Started suspended, it exists and runs for as long
// as a test needs it to; started running, it goes its own way meanwhile.
class ChildProcess {
 public:
  enum class Start { suspended, running };
  explicit ChildProcess(const std::wstring& command_line, Start start = Start::suspended);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  [[nodiscard]] HANDLE process() const { return process_.get(); }
  [[nodiscard]] std::uint32_t pid() const { return pid_; }
  [[nodiscard]] bool ended() const {
    return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
  }

 private:
  win::Handle process_;
  win::Handle thread_;
  std::uint32_t pid_ = 0;
};

// The Windows path of the program under test, from the environment variable `name`
// (a Unix path is mapped through Wine's Z: drive).
std::wstring program_path(const char* name);

}  // namespace borelu::testing

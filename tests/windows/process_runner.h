#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dialog_reader.h"

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

// The Windows path of the program under test, from the environment variable `name`
// (a Unix path is mapped through Wine's Z: drive).
std::wstring program_path(const char* name);

}  // namespace borelu::testing

#include <windows.h>

#include <span>

#include "entry.h"
#include "win/command_line.h"
#include "win/dll_search.h"
#include "win/timeline.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  borelu::win::timeline::at("process started");
  // Before anything can load a DLL by name: the worker runs elevated from wherever the user
  // saved this file, and a DLL beside it must never be loaded in its place.
  if (!borelu::win::restrict_dll_search()) {
    return 1;
  }
  const auto arguments = borelu::win::split_command_line(GetCommandLineW());
  if (!arguments || arguments->empty()) {
    return 1;
  }
  return borelu::run_setup(std::span(*arguments).subspan(1));
}

#include <windows.h>

#include <span>

#include "entry.h"
#include "win/command_line.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const auto arguments = borelu::win::split_command_line(GetCommandLineW());
  if (!arguments || arguments->empty()) {
    return 1;
  }
  return borelu::run_setup(std::span(*arguments).subspan(1));
}

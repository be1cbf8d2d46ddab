#include "win/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::win {

Result<std::vector<std::string>> split_command_line(const wchar_t* line) {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(line, &count);
  if (argv == nullptr) {
    return std::unexpected(last_os_failure("Read command line"));
  }
  const LocalMemory owner(argv);
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    arguments.push_back(narrow(argv[i]));
  }
  return arguments;
}

}  // namespace borelu::win

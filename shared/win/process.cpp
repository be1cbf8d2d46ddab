#include "win/process.h"

#include <algorithm>

#include "win/system_error.h"

namespace borelu::win {

Result<ChildPipe> child_pipe(ChildEnd child) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) {
    return std::unexpected(last_os_failure());
  }
  ChildPipe pipe{Handle(read), Handle(write)};
  const HANDLE ours = child == ChildEnd::reads ? pipe.write.get() : pipe.read.get();
  if (!SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0)) {
    return std::unexpected(last_os_failure());
  }
  return pipe;
}

std::string drain_pipe(HANDLE pipe, std::size_t keep) {
  std::string kept;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    kept.append(buffer, std::min<std::size_t>(got, keep - std::min(keep, kept.size())));
  }
  return kept;
}

Result<StartedProcess> start_process(std::wstring command_line, DWORD flags,
                                     const StandardHandles* standard, const wchar_t* application) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (standard != nullptr) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = standard->input;
    startup.hStdOutput = standard->output;
    startup.hStdError = standard->error;
  }
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(application, command_line.data(), nullptr, nullptr,
                      standard != nullptr ? TRUE : FALSE, flags, nullptr, nullptr, &startup,
                      &info)) {
    return std::unexpected(last_os_failure());
  }
  return StartedProcess{Handle(info.hProcess), Handle(info.hThread), info.dwProcessId};
}

}  // namespace borelu::win

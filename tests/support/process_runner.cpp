#include "process_runner.h"

#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "win/handles.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

struct Pipe {
  win::Handle read;
  win::Handle write;
};

Pipe make_inheritable_pipe() {
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!CreatePipe(&read, &write, &attributes, 0)) {
    throw std::runtime_error("CreatePipe failed");
  }
  Pipe pipe{win::Handle(read), win::Handle(write)};
  SetHandleInformation(pipe.read.get(), HANDLE_FLAG_INHERIT, 0);
  return pipe;
}

std::string drain(HANDLE pipe) {
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    text.append(buffer, got);
  }
  return text;
}

// Waits for the process, reading and closing every dialog it shows on the way.
void wait_closing_dialogs(const PROCESS_INFORMATION& info, ProcessOutcome& outcome) {
  std::vector<HWND> seen;
  while (WaitForSingleObject(info.hProcess, 50) == WAIT_TIMEOUT) {
    if (auto dialog = take_dialog(info.dwProcessId, std::chrono::milliseconds(0), &seen)) {
      outcome.dialogs.push_back(std::move(*dialog));
    }
  }
}

}  // namespace

ProcessOutcome run_process(const std::wstring& command_line, StandardHandles handles) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring mutable_line = command_line;
  ProcessOutcome outcome;

  if (handles == StandardHandles::none) {
    // Not inheriting and no STARTF_USESTDHANDLES: a GUI child then has no standard handles.
    if (!CreateProcessW(nullptr, mutable_line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                        nullptr, nullptr, &startup, &info)) {
      throw std::runtime_error("CreateProcessW failed");
    }
  } else {
    Pipe out = make_inheritable_pipe();
    Pipe err = make_inheritable_pipe();
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out.write.get();
    startup.hStdError = err.write.get();
    if (!CreateProcessW(nullptr, mutable_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info)) {
      throw std::runtime_error("CreateProcessW failed");
    }
    out.write.reset();
    err.write.reset();
    std::thread error_reader([&] { outcome.standardError = drain(err.read.get()); });
    std::thread output_reader([&] { outcome.standardOutput = drain(out.read.get()); });
    wait_closing_dialogs(info, outcome);
    error_reader.join();
    output_reader.join();
  }
  outcome.processId = info.dwProcessId;
  const win::Handle process(info.hProcess);
  const win::Handle thread(info.hThread);
  if (handles == StandardHandles::none) {
    wait_closing_dialogs(info, outcome);
  }
  GetExitCodeProcess(process.get(), &outcome.exitCode);
  return outcome;
}

ChildProcess::ChildProcess(const std::wstring& command_line, Start start) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring line = command_line;
  PROCESS_INFORMATION info{};
  const DWORD flags = start == Start::suspended ? CREATE_SUSPENDED : CREATE_NO_WINDOW;
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                     &startup, &info)) {
    process_ = win::Handle(info.hProcess);
    thread_ = win::Handle(info.hThread);
    pid_ = info.dwProcessId;
  }
}

ChildProcess::~ChildProcess() {
  if (process_) {
    TerminateProcess(process_.get(), 0);
    WaitForSingleObject(process_.get(), 5000);
  }
}

std::wstring program_path(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    throw std::runtime_error(std::string(name) + " is not set");
  }
  std::wstring path = win::widen(value);
  if (path.starts_with(L"/")) {
    for (auto& c : path) {
      if (c == L'/')
        c = L'\\';
    }
    path = L"Z:" + path;
  }
  return path;
}

}  // namespace borelu::testing

#include "process_runner.h"

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <thread>

#include "win/handles.h"
#include "win/process.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

// The started child, or the test program ends with why it could not start one.
win::StartedProcess started(Result<win::StartedProcess> child) {
  if (!child) {
    throw std::runtime_error("CreateProcessW failed: " + child.error().text());
  }
  return std::move(*child);
}

win::ChildPipe output_pipe() {
  auto pipe = win::child_pipe(win::ChildEnd::writes);
  if (!pipe) {
    throw std::runtime_error("CreatePipe failed: " + pipe.error().text());
  }
  return std::move(*pipe);
}

// Waits for the process, reading and closing every dialog it shows on the way.
void wait_closing_dialogs(const win::StartedProcess& child, ProcessOutcome& outcome) {
  std::vector<HWND> seen;
  while (WaitForSingleObject(child.process.get(), 50) == WAIT_TIMEOUT) {
    if (auto dialog = take_dialog(child.id, std::chrono::milliseconds(0), &seen)) {
      outcome.dialogs.push_back(std::move(*dialog));
    }
  }
}

}  // namespace

ProcessOutcome run_process(const std::wstring& command_line, StandardHandles handles) {
  ProcessOutcome outcome;
  std::optional<win::StartedProcess> child;
  if (handles == StandardHandles::none) {
    // No inherited handles and no standard handles given: a GUI child then has none at all.
    child = started(win::start_process(command_line, DETACHED_PROCESS));
    wait_closing_dialogs(*child, outcome);
  } else {
    win::ChildPipe out = output_pipe();
    win::ChildPipe err = output_pipe();
    const win::StandardHandles standard{nullptr, out.write.get(), err.write.get()};
    child = started(win::start_process(command_line, 0, {.standard = &standard}));
    out.write.reset();
    err.write.reset();
    std::thread error_reader([&] { outcome.standardError = win::drain_pipe(err.read.get()); });
    std::thread output_reader([&] { outcome.standardOutput = win::drain_pipe(out.read.get()); });
    wait_closing_dialogs(*child, outcome);
    error_reader.join();
    output_reader.join();
  }
  outcome.processId = child->id;
  GetExitCodeProcess(child->process.get(), &outcome.exitCode);
  return outcome;
}

ChildProcess::ChildProcess(const std::wstring& command_line, Start start) {
  const DWORD flags = start == Start::suspended ? CREATE_SUSPENDED : CREATE_NO_WINDOW;
  auto child = win::start_process(command_line, flags);
  if (child) {
    process_ = std::move(child->process);
    thread_ = std::move(child->thread);
    pid_ = child->id;
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

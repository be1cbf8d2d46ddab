#include "win/process.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "win/system_error.h"

namespace borelu::win {
namespace {

DWORD WINAPI drain_and_drop(void* pipe) {
  (void)drain_pipe(static_cast<HANDLE>(pipe), 0);
  return 0;
}

// A process-thread attribute list holding the handles a child may inherit.
class InheritedHandles {
 public:
  static Result<InheritedHandles> of(const StandardHandles& standard) {
    InheritedHandles list;
    for (const HANDLE handle : {standard.input, standard.output, standard.error}) {
      if (handle != nullptr && std::ranges::find(list.handles_, handle) == list.handles_.end()) {
        list.handles_.push_back(handle);
      }
    }
    SIZE_T size = 0;
    (void)InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    list.storage_.resize(size);
    auto* attributes = list.attributes();
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &size)) {
      return std::unexpected(last_os_failure());
    }
    list.initialized_ = true;
    if (!UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                   list.handles_.data(), list.handles_.size() * sizeof(HANDLE),
                                   nullptr, nullptr)) {
      return std::unexpected(last_os_failure());
    }
    return list;
  }
  InheritedHandles(InheritedHandles&& other) noexcept
      : storage_(std::move(other.storage_)),
        handles_(std::move(other.handles_)),
        initialized_(std::exchange(other.initialized_, false)) {}
  InheritedHandles& operator=(InheritedHandles&&) = delete;
  ~InheritedHandles() {
    if (initialized_) {
      DeleteProcThreadAttributeList(attributes());
    }
  }

  [[nodiscard]] LPPROC_THREAD_ATTRIBUTE_LIST attributes() {
    return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
  }

 private:
  InheritedHandles() = default;
  std::vector<std::byte> storage_;
  std::vector<HANDLE> handles_;  // the list points into this storage until the child has started
  bool initialized_ = false;
};

}  // namespace

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

Result<PipeDrain> PipeDrain::start(HANDLE pipe) {
  Handle thread(CreateThread(nullptr, 0, drain_and_drop, pipe, 0, nullptr));
  if (!thread) {
    return std::unexpected(last_os_failure());
  }
  return PipeDrain(std::move(thread));
}

PipeDrain::~PipeDrain() {
  if (thread_) {
    WaitForSingleObject(thread_.get(), INFINITE);
  }
}

Result<StartedProcess> start_process(std::wstring command_line, DWORD flags,
                                     const ChildSetup& setup) {
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  std::optional<InheritedHandles> inherited;
  if (setup.standard != nullptr) {
    auto list = InheritedHandles::of(*setup.standard);
    if (!list) {
      return std::unexpected(list.error());
    }
    inherited.emplace(std::move(*list));
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = setup.standard->input;
    startup.StartupInfo.hStdOutput = setup.standard->output;
    startup.StartupInfo.hStdError = setup.standard->error;
    startup.lpAttributeList = inherited->attributes();
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }
  if (setup.environment != nullptr) {
    flags |= CREATE_UNICODE_ENVIRONMENT;
  }
  const bool in_job = setup.job != nullptr;
  if (in_job) {
    flags |= CREATE_SUSPENDED;
  }
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(setup.application, command_line.data(), nullptr, nullptr,
                      inherited ? TRUE : FALSE, flags, const_cast<wchar_t*>(setup.environment),
                      setup.folder, &startup.StartupInfo, &info)) {
    return std::unexpected(last_os_failure());
  }
  StartedProcess child{Handle(info.hProcess), Handle(info.hThread), info.dwProcessId};
  if (in_job) {
    if (!AssignProcessToJobObject(setup.job, child.process.get())) {
      const Failure failure = last_os_failure();
      TerminateProcess(child.process.get(), 1);
      return std::unexpected(failure);
    }
    if (ResumeThread(child.thread.get()) == static_cast<DWORD>(-1)) {
      const Failure failure = last_os_failure();
      TerminateProcess(child.process.get(), 1);
      return std::unexpected(failure);
    }
  }
  return child;
}

Result<Handle> kill_on_close_job() {
  Handle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) {
    return std::unexpected(last_os_failure());
  }
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                               sizeof limits)) {
    return std::unexpected(last_os_failure());
  }
  return job;
}

}  // namespace borelu::win

#include "controller/install_effects.h"

#include <windows.h>
#include <shellapi.h>

#include "controller/com_apartment.h"
#include "controller/failure_record.h"
#include "controller/request_cancel.h"
#include "controller/shortcuts.h"
#include "controller/staging.h"
#include "core/path_text.h"
#include "download/https.h"
#include "manifest/installation.h"
#include "storage/path_safety.h"
#include "webview2/webview2.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"
#include "win/timeline.h"
#include "windows/process_identity.h"

namespace borelu::controller {
namespace {

class ElevatedWorker final : public WorkerProcess {
 public:
  explicit ElevatedWorker(HANDLE process) : process_(process) {}

  bool wait(std::uint32_t millis) override {
    const win::timeline::Span span("worker awaited");
    return WaitForSingleObject(process_.get(), millis) == WAIT_OBJECT_0;
  }
  std::optional<std::uint32_t> exit_code() override {
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.get(), &code)) {
      return std::nullopt;
    }
    return code;
  }
  std::uint32_t process_id() override { return GetProcessId(process_.get()); }

 private:
  win::Handle process_;
};

class MachineEffects final : public InstallEffects {
 public:
  Result<std::string> fetch_metadata(const CancelState& cancel) override {
    const win::timeline::Span span("metadata fetched");
    const RequestCancel request_cancel(cancel);
    return download::fetch_metadata(request_cancel.get());
  }
  Result<std::string> create_stage() override {
    auto made = win::timeline::timed("stage created", controller::create_stage);
    if (!made) {
      return std::unexpected(made.error());
    }
    stage_ = std::move(*made);
    return stage_.path;
  }
  // The stage is the one `create_stage` made, held for as long as this run's effects live.
  Status download_release(std::string_view, const manifest::Release& release,
                          std::string_view metadata, const CancelState& cancel,
                          const ProgressReporter& progress) override {
    return controller::download_release(stage_, release, metadata, cancel, progress);
  }
  std::chrono::system_clock::time_point now() override { return std::chrono::system_clock::now(); }
  Result<std::string> owner_sid() override {
    return blocking::process_user_sid(GetCurrentProcess());
  }
  Result<std::string> executable_path() override {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD length =
          GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (length == 0) {
        return std::unexpected(win::last_os_failure());
      }
      if (length < path.size()) {
        path.resize(length);
        return win::narrow(path);
      }
      if (path.size() >= 32768) {
        return std::unexpected(win::os_failure(ERROR_INSUFFICIENT_BUFFER));
      }
      path.resize(path.size() * 2);
    }
  }
  std::expected<std::unique_ptr<WorkerProcess>, StartFailure> start_elevated(
      std::string_view executable, std::string_view parameters) override {
    const std::wstring file = win::widen(executable);
    const std::wstring arguments = win::widen(parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // No message box of the shell's own on a failure: the failure dialog explains it, and the
    // shell's box would both come first and leave its own error code behind instead of the
    // start's. The elevation prompt is not affected.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = arguments.c_str();
    info.nShow = SW_HIDE;
    BOOL started = FALSE;
    DWORD code = ERROR_SUCCESS;
    {
      // The shell may hand the verb to an extension, which needs COM on the calling thread; the
      // controller thread is in no apartment otherwise. One that cannot be entered (the thread
      // is already in another) leaves the call as it was.
      const ComApartment apartment(
          static_cast<COINIT>(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
      const win::timeline::Span span("elevation asked");
      started = ShellExecuteExW(&info);
      code = GetLastError();
    }
    if (!started) {
      return std::unexpected(StartFailure{code, win::system_error_text(code)});
    }
    if (info.hProcess == nullptr) {
      // The shell started it through a process that is not the worker: nothing to wait for.
      return std::unexpected(
          StartFailure{ERROR_INVALID_HANDLE, win::system_error_text(ERROR_INVALID_HANDLE)});
    }
    return std::make_unique<ElevatedWorker>(info.hProcess);
  }
  Result<std::string> installation_folder() override { return manifest::installation_folder(); }
  bool is_regular_file(std::string_view path) override {
    // A file compressed by Windows is a reparse point too, and no link.
    const DWORD attributes = GetFileAttributesW(win::widen(path).c_str());
    const auto linked = storage::is_link(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           linked && *linked == false;
  }
  bool webview2_present(std::string_view owner_sid) override {
    return webview2::is_webview2_present(owner_sid);
  }
  Status launch(std::string_view application) override {
    const std::wstring path = win::widen(application);
    std::wstring command_line = L"\"" + path + L"\"";
    // It starts in its own folder, not in Setup's (usually Downloads): a library it loads by
    // name and does not find beside itself is never looked for where downloads land.
    const auto folder = parent_path(application);
    if (!folder) {
      return std::unexpected(win::os_failure(ERROR_BAD_PATHNAME));
    }
    const std::wstring directory = win::widen(*folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const win::timeline::Span span("first launch");
    if (!CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, directory.c_str(), &startup, &info)) {
      return std::unexpected(win::last_os_failure());
    }
    // Not waited for: the application goes its own way.
    const win::Handle process(info.hProcess);
    const win::Handle thread(info.hThread);
    return {};
  }
  Status configure_shortcuts(bool desktop, bool start_menu) override {
    const win::timeline::Span span("shortcuts");
    return controller::configure_shortcuts(desktop, start_menu);
  }
  void remove_stage_after_success(std::string_view) override {
    const win::timeline::Span span("stage removed");
    controller::remove_stage_after_success(stage_);
  }
  std::optional<std::string> read_failure_record(std::uint32_t worker_pid,
                                                 std::uint64_t start_millis) override {
    const win::timeline::Span span("failure record read");
    return controller::read_failure_record(worker_pid, start_millis);
  }

 private:
  Stage stage_;
};

}  // namespace

std::unique_ptr<InstallEffects> machine_effects() {
  return std::make_unique<MachineEffects>();
}

}  // namespace borelu::controller

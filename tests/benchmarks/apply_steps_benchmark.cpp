// The worker's run step by step, timed: the same library functions in the order of
// src/apply/worker.cpp (keep the two in step), each timed on its own; each file step runs between
// two raw passes over the same bytes in the same process, so that it can be set against the least
// that its work can cost. Run by tests/benchmarks/benchmark_install.sh:
//   borelu_apply_steps_benchmark.exe STAGE SCRATCH OWNER_SID
// Prints "step NAME SECONDS" and "raw NAME SECONDS" lines; exit code 1 with the failure when a
// step fails (which the worker would have restored from; this program does not).

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "apply/apply_run.h"
#include "apply/artifact_file.h"
#include "apply/blocking_service.h"
#include "apply/calling_application.h"
#include "apply/install_lock.h"
#include "apply/maintenance.h"
#include "apply/maintenance_folder.h"
#include "apply/rollback.h"
#include "apply/stage_copy.h"
#include "apply/version_gate.h"
#include "apply/webview2_provision.h"
#include "apply/work_folder.h"
#include "core/path_text.h"
#include "crypto/sha256.h"
#include "manifest/file_names.h"
#include "manifest/installation.h"
#include "manifest/release.h"
#include "protocol/options.h"
#include "registration/registration.h"
#include "storage/path_safety.h"
#include "webview2/webview2.h"
#include "win/files.h"
#include "win/text.h"

namespace {

using namespace borelu;
using Seconds = std::chrono::duration<double>;

// Runs one step, prints its time, and ends the program on its failure.
template <typename Step>
auto step(const char* name, Step&& run) {
  const auto start = std::chrono::steady_clock::now();
  auto outcome = run();
  const double seconds = Seconds(std::chrono::steady_clock::now() - start).count();
  if (!outcome) {
    std::printf("failed %s: %s\n", name, outcome.error().text().c_str());
    std::exit(1);
  }
  std::printf("step %s %.4f\n", name, seconds);
  return outcome;
}

// One raw pass over a file with plain Win32 calls and one reused 64 KiB buffer: read, and
// optionally SHA-256 (the program's own, on the processor's quickest compression) and a write to
// `target` that is flushed to disk.
bool raw_pass(const std::string& source, const std::string& target, bool hash) {
  static std::vector<unsigned char> buffer(65536);
  HANDLE in = CreateFileW(win::widen(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) {
    return false;
  }
  HANDLE out = INVALID_HANDLE_VALUE;
  if (!target.empty()) {
    out = CreateFileW(win::widen(target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
      CloseHandle(in);
      return false;
    }
  }
  crypto::Sha256 digest;
  bool ok = true;
  DWORD got = 0;
  while ((ok = ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) &&
         got != 0) {
    if (hash) {
      digest.update({buffer.data(), got});
    }
    DWORD written = 0;
    if (out != INVALID_HANDLE_VALUE &&
        (!WriteFile(out, buffer.data(), got, &written, nullptr) || written != got)) {
      ok = false;
      break;
    }
  }
  (void)digest.finish();
  if (out != INVALID_HANDLE_VALUE) {
    ok = FlushFileBuffers(out) && ok;
    CloseHandle(out);
    DeleteFileW(win::widen(target).c_str());
  }
  CloseHandle(in);
  return ok;
}

// The raw pass over every file of the release in `folder`, timed.
double raw_passes(const std::string& folder, const std::string& scratch, bool hash, bool write) {
  const auto start = std::chrono::steady_clock::now();
  for (const std::string_view name : manifest::APPROVED_EXECUTABLES) {
    if (!raw_pass(join_path(folder, name), write ? join_path(scratch, name) : std::string(),
                  hash)) {
      std::printf("failed raw pass over %s\n", folder.c_str());
      std::exit(1);
    }
  }
  return Seconds(std::chrono::steady_clock::now() - start).count();
}

// Runs one file step between two raw passes over the same bytes; the quicker pass is printed as
// the step's floor, so that neither order favours the step.
template <typename Step>
auto step_beside_raw(const char* name, const char* raw_name, const std::string& folder,
                     const std::string& scratch, bool hash, bool write, Step&& run) {
  const double before = raw_passes(folder, scratch, hash, write);
  auto outcome = step(name, std::forward<Step>(run));
  const double after = raw_passes(folder, scratch, hash, write);
  std::printf("raw %s %.4f\n", raw_name, std::min(before, after));
  return outcome;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::printf("usage: borelu_apply_steps_benchmark STAGE SCRATCH OWNER_SID\n");
    return 2;
  }
  const std::string stage = win::narrow(argv[1]);
  const std::string scratch = win::narrow(argv[2]);
  const std::string owner = win::narrow(argv[3]);
  const options::SetupOptions preferences{"en", true, false, true, "2026-10-19"};

  const auto lock = step("lock", [] { return apply::take_install_lock(); });
  const auto maintenance =
      step("maintenance folder", [] { return apply::prepare_maintenance_folder(); });
  step("interrupted applies", [&] {
    return apply::recover_interrupted_applies(*maintenance, apply::system_service_control());
  });
  auto work = step("work folder", [&] { return apply::create_work_folder(*maintenance); });
  const auto staged = step_beside_raw(
      "stage copy and re-verification", "read + SHA-256 + write (stage copy)", stage, scratch, true,
      true, [&] { return apply::copy_stage_to_work(stage, work->path); });
  const auto installation = manifest::installation_folder();
  if (!installation) {
    return 1;
  }
  const auto installed = step("owner and version rules", [&] {
    return apply::check_owner_and_version(protocol::Operation::setup, owner, staged->release);
  });
  step("calling application",
       [&] { return apply::check_calling_application(0, owner, *installation); });
  step("WebView2", [&] { return apply::ensure_webview2(owner, work->path); });
  const auto service = step("service probe", [] {
    return apply::probe_blocking_service(apply::system_service_control());
  });
  const auto snapshot = step("restore snapshot", [&] {
    return Result<apply::RestoreSnapshot>(apply::take_restore_snapshot(owner, *installed));
  });
  step("updater runner", [&] { return apply::provide_updater_runner(staged->release, *work); });
  // A first installation has nothing to copy, and no raw pass to compare with.
  const auto copy_rollback = [&] {
    return apply::make_rollback_copy(*installation, work->rollback());
  };
  if (win::path_attributes(join_path(*installation, manifest::APPLICATION_FILE)) ==
      INVALID_FILE_ATTRIBUTES) {
    step("rollback copy", copy_rollback);
  } else {
    step_beside_raw("rollback copy", "read + write (rollback copy)", *installation, scratch, false,
                    true, copy_rollback);
  }
  step("records: apply in progress", [&] {
    return apply::begin_apply(*work, {snapshot->hadStartup, owner, *service});
  });
  step("service installer", [&] { return apply::run_service_installer(work->path, owner); });
  // commit_records and end_apply, one part at a time.
  step("records: installed-release.json", [&] {
    const std::string path = join_path(*installation, manifest::INSTALLED_RELEASE_FILE);
    return win::replace_file_with(path, staged->bytes, storage::protect_path);
  });
  step_beside_raw("installed-file check", "read + SHA-256 (installed-file check)", *installation,
                  scratch, true, false, [&] {
                    for (const auto& artifact : staged->release.files) {
                      if (auto checked = apply::check_file_against_artifact(
                              join_path(*installation, artifact.name), artifact);
                          !checked) {
                        return checked;
                      }
                    }
                    return Status();
                  });
  step("records: preferences, startup, uninstall entry", [&] {
    const std::string path = join_path(*installation, options::SETUP_OPTIONS_FILE);
    if (auto written =
            win::replace_file_with(path, options::to_json(preferences), storage::protect_path);
        !written) {
      return written;
    }
    if (auto startup = registration::set_startup_entry(
            owner, preferences.startup, join_path(*installation, manifest::APPLICATION_FILE));
        !startup) {
      return startup;
    }
    if (auto registered = registration::register_uninstall_entry(staged->release); !registered) {
      return registered;
    }
    return apply::end_apply(work->path);
  });
  step("clean-up: older folders, last-update.json", [&] {
    apply::finish_successful_apply(staged->release, *maintenance, *work);
    return Status();
  });
  step("clean-up: work folder", [&] {
    apply::tidy_work_folder(*work);
    return Status();
  });

  return 0;
}

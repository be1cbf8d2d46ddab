#include "apply/webview2_provision.h"

#include <windows.h>

#include <chrono>
#include <thread>

#include "apply/helper_process.h"
#include "core/hex.h"
#include "core/path_text.h"
#include "manifest/artifact_check.h"
#include "storage/path_safety.h"
#include "webview2/embedded_bootstrapper.h"
#include "webview2/runtime_version.h"
#include "webview2/signature.h"
#include "webview2/webview2.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/system_error.h"
#include "win/text.h"
#include "windows/process_identity.h"

namespace borelu::apply {
namespace {

using namespace std::chrono_literals;

constexpr auto kPollInterval = 200ms;
constexpr auto kRunLimit = 480s;
constexpr DWORD kSandboxExitCode = 0x80040902;
constexpr DWORD kSandboxInstallerError = 11;

// Writes the embedded file new, flushed and protected.
Status write_bootstrapper(const std::string& path) {
  auto file = win::create_new_file(path);
  if (!file) {
    return std::unexpected(file.error());
  }
  const auto bytes = webview2::embedded_bootstrapper();
  if (auto written = win::write_all(
          file->get(), std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      !written) {
    return written;
  }
  if (auto flushed = win::flush_to_disk(file->get()); !flushed) {
    return flushed;
  }
  file->reset();
  return storage::protect_path(path);
}

// Reads the copy through the handle that keeps writers out and compares it with the embedded file.
Status check_copy(HANDLE file) {
  manifest::ContentCheck check(EMBEDDED_BOOTSTRAPPER_SIZE, EMBEDDED_BOOTSTRAPPER_SHA256);
  auto read = win::read_pieces(file, [&](std::span<const unsigned char> piece) -> Status {
    if (!check.feed(piece)) {
      return fail("WebView2 installer integrity check failed.");
    }
    return {};
  });
  if (!read) {
    return read;
  }
  if (!check.matches()) {
    return fail("WebView2 bootstrapper integrity check failed. Run a fresh BoreluSetup.");
  }
  return {};
}

// Starts the bootstrapper and polls it until it ends or runs too long; returns its exit code.
Result<DWORD> run_bootstrapper(const std::string& path) {
  const auto child = start_helper(path, L"/silent /install", CREATE_NO_WINDOW);
  if (!child) {
    return fail("Start Microsoft WebView2 setup: " + child.error().text());
  }
  const auto started = std::chrono::steady_clock::now();
  for (;;) {
    const DWORD waited = WaitForSingleObject(child->process.get(), 0);
    if (waited == WAIT_OBJECT_0) {
      DWORD exit_code = 0;
      if (!GetExitCodeProcess(child->process.get(), &exit_code)) {
        return std::unexpected(win::last_os_failure());
      }
      return exit_code;
    }
    if (waited != WAIT_TIMEOUT) {
      return std::unexpected(win::last_os_failure());
    }
    if (std::chrono::steady_clock::now() - started > kRunLimit) {
      return fail(
          "Microsoft WebView2 setup is still running. Wait for it to finish, then run BoreluSetup "
          "again.");
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

std::string unfinished_message(DWORD exit_code) {
  DWORD installer_error = 0;
  DWORD size = sizeof installer_error;
  const LSTATUS read =
      RegGetValueW(HKEY_LOCAL_MACHINE, std::wstring(webview2::STATE_KEY).c_str(), L"InstallerError",
                   RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6432KEY, nullptr, &installer_error, &size);
  if (exit_code == kSandboxExitCode && read == ERROR_SUCCESS &&
      installer_error == kSandboxInstallerError) {
    return "Windows denied access to the Microsoft WebView2 installation folder. This is a known "
           "problem in some Windows Sandbox versions; try on normal Windows. Borelu's installed "
           "files were not changed.";
  }
  return "Microsoft WebView2 setup did not finish (0x" + hex8(exit_code) +
         "). Check internet access and installation permissions, then run BoreluSetup again.";
}

}  // namespace

Status provide_webview2(std::string_view owner_sid, std::string_view work_folder) {
  if (!blocking::is_elevated()) {
    return fail("WebView2 setup requires the installer permission.");
  }
  if (auto plain = storage::reject_linked_path(work_folder); !plain) {
    return plain;
  }
  const std::string path = join_path(work_folder, webview2::BOOTSTRAPPER_FILE);
  if (auto written = write_bootstrapper(path); !written) {
    return written;
  }
  // Held with other readers only until the step ends: what is checked is what runs.
  const std::wstring wide_path = win::widen(path);
  win::FileHandle held(CreateFileW(wide_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held) {
    return std::unexpected(win::last_os_failure());
  }
  if (auto same = check_copy(held.get()); !same) {
    return same;
  }
  if (auto signed_file = webview2::verify_signature(wide_path, held.get()); !signed_file) {
    return signed_file;
  }
  const auto exit_code = run_bootstrapper(path);
  if (!exit_code) {
    return std::unexpected(exit_code.error());
  }
  if (webview2::is_webview2_present(owner_sid)) {
    held.reset();
    DeleteFileW(wide_path.c_str());
    return {};
  }
  return fail(unfinished_message(*exit_code));
}

Status ensure_webview2(std::string_view owner_sid, std::string_view work_folder) {
  if (webview2::is_webview2_present(owner_sid)) {
    return {};
  }
  if (auto provided = provide_webview2(owner_sid, work_folder); !provided) {
    return provided;
  }
  if (!webview2::is_webview2_present(owner_sid)) {
    return fail(
        "Microsoft WebView2 is still unavailable. Check internet access or installation policy, "
        "then run BoreluSetup again.");
  }
  return {};
}

}  // namespace borelu::apply

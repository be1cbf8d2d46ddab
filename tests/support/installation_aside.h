#pragma once

// The prefix's installation folder set aside for the length of a test and put back afterwards,
// so that a test can start from no installation, or from one of its own, without disturbing what
// other tests of the run left there.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "core/path_text.h"
#include "manifest/installation.h"
#include "process_runner.h"
#include "win/files.h"
#include "win/text.h"

namespace borelu::testing {

// Removes a folder tree, waiting a moment for executables of ended processes to be let go.
inline void remove_tree(const std::string& folder) {
  const std::filesystem::path path(win::widen(folder));
  for (int attempt = 0; attempt < 50; ++attempt) {
    std::error_code error;
    std::filesystem::remove_all(path, error);
    if (!std::filesystem::exists(path, error)) {
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ADD_FAILURE() << "could not remove " << folder;
}

class InstallationAside {
 public:
  InstallationAside()
      : folder_(*manifest::installation_folder()), aside_(folder_ + ".set-aside-by-test") {
    remove_tree(aside_);
    if (win::path_attributes(folder_) == INVALID_FILE_ATTRIBUTES) {
      ready_ = true;
      return;
    }
    moved_ = MoveFileExW(win::widen(folder_).c_str(), win::widen(aside_).c_str(), 0) != 0;
    ready_ = moved_;
  }
  ~InstallationAside() {
    if (!ready_) {
      return;
    }
    remove_tree(folder_);
    if (moved_) {
      EXPECT_TRUE(MoveFileExW(win::widen(aside_).c_str(), win::widen(folder_).c_str(), 0));
    }
  }
  InstallationAside(const InstallationAside&) = delete;
  InstallationAside& operator=(const InstallationAside&) = delete;

  // Whether the folder is the test's own: absent now, and put back (or left absent) at the end.
  [[nodiscard]] bool ready() const { return ready_; }
  [[nodiscard]] const std::string& folder() const { return folder_; }

  // Puts the application double into the (new) installation folder under `name`.
  std::string install_application(std::string_view name = "Borelu.exe") const {
    const std::string path = join_path(folder_, name);
    EXPECT_TRUE(win::create_directories(folder_));
    EXPECT_TRUE(CopyFileW(program_path("BORELU_APPLICATION_DOUBLE").c_str(),
                          win::widen(path).c_str(), FALSE));
    return path;
  }

 private:
  std::string folder_;
  std::string aside_;
  bool moved_ = false;
  bool ready_ = false;
};

}  // namespace borelu::testing

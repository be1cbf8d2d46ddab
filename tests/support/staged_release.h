#pragma once

// Test stages and folders made from the fixture host's signed release 1.4.2.

#include <windows.h>

#include <map>
#include <string>

#include "core/path_text.h"
#include "process_runner.h"
#include "test_prefix.h"
#include "win/files.h"
#include "win/text.h"

namespace borelu::testing {

inline constexpr const char* RELEASE_NAMES[] = {"Borelu.exe", "BoreluService.exe",
                                                "BoreluUpdater.exe"};

// A stage holding the three files and "release.json" of the fixture host's release 1.4.2, or of
// one of the other signed versions it prepared (1.4.1, 1.4.3, 1.9.9, 1.10.0).
inline std::string make_stage(const std::string& folder, const std::string& version = "1.4.2") {
  const std::string host = win::narrow(program_path("BORELU_HOST_ROOT"));
  const std::string source =
      version == "1.4.2" ? host + "\\releases\\1.4.2" : host + "\\..\\stages\\" + version;
  (void)win::create_directories(folder);
  for (const char* name : RELEASE_NAMES) {
    (void)win::write_whole_file(join_path(folder, name), read_text(join_path(source, name)));
  }
  (void)win::write_whole_file(join_path(folder, "release.json"),
                              read_text(version == "1.4.2" ? host + "\\updates\\latest.json"
                                                           : join_path(source, "release.json")));
  return folder;
}

// Deletes the files a test may have left in a folder, then the folder.
inline void remove_folder(const std::string& folder) {
  for (const char* name : {"Borelu.exe", "BoreluService.exe", "BoreluUpdater.exe", "release.json",
                           "extra.txt", "second-name.exe", "installed-release.json",
                           "setup-options.json", "blocking-policy.json"}) {
    DeleteFileW(win::widen(join_path(folder, name)).c_str());
  }
  RemoveDirectoryW(win::widen(folder).c_str());
}

// Stages of the signed versions, each made once when first asked for (in the temporary folder,
// named `prefix` and the version) and removed when the set goes.
class StageSet {
 public:
  explicit StageSet(std::string prefix) : prefix_(std::move(prefix)) {}
  ~StageSet() {
    for (const auto& [version, folder] : stages_) {
      remove_folder(folder);
    }
  }
  StageSet(const StageSet&) = delete;
  StageSet& operator=(const StageSet&) = delete;

  const std::string& operator()(const std::string& version) {
    auto found = stages_.find(version);
    if (found == stages_.end()) {
      found = stages_.emplace(version, make_stage(temp_folder(prefix_ + version), version)).first;
    }
    return found->second;
  }

 private:
  std::string prefix_;
  std::map<std::string, std::string> stages_;
};

}  // namespace borelu::testing

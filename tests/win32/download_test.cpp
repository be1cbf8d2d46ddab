// The download module against the fixture update host on 127.0.0.1:443 (host "localhost").

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <regex>
#include <utility>
#include <vector>

#include "controller/staging.h"
#include "core/hex.h"
#include "core/path_text.h"
#include "crypto/sha256.h"
#include "download/https.h"
#include "manifest/release.h"
#include "outcome.h"
#include "process_runner.h"
#include "win/files.h"
#include "win/text.h"

namespace borelu::controller {
namespace {

using testing::outcome;

std::string host_root() {
  return win::narrow(testing::program_path("BORELU_HOST_ROOT"));
}

void set_rules(const std::string& json) {
  ASSERT_TRUE(win::write_whole_file(host_root() + "\\rules.json", json));
}

std::vector<std::string> request_log() {
  const auto log = win::read_whole_file(host_root() + "\\..\\requests.log");
  std::vector<std::string> lines;
  std::string line;
  for (const char c : log ? *log : "") {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  return lines;
}

bool exists(const std::string& path) {
  return win::path_attributes(path) != INVALID_FILE_ATTRIBUTES;
}

std::string local_app_data() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
  return win::narrow(std::wstring_view(buffer, length));
}

class DownloadScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    set_rules("{}");
    metadata_path_ = host_root() + "\\updates\\latest.json";
    served_ = *win::read_whole_file(metadata_path_);
    release_ = *manifest::verify_release_metadata(served_);
  }
  void TearDown() override {
    set_rules("{}");
    ASSERT_TRUE(win::write_whole_file(metadata_path_, served_));
  }

  Status download(Stage& stage, const manifest::Release& release) {
    return download_release(stage, release, served_, cancel_,
                            [this](std::uint32_t percent, const std::string& text) {
                              percents_.push_back(percent);
                              last_line_ = text;
                            });
  }

  std::string metadata_path_;
  std::string served_;
  manifest::Release release_;
  CancelState cancel_;
  std::vector<std::uint32_t> percents_;
  std::string last_line_;
};

TEST_F(DownloadScenario, AFullStageHoldsTheSignedFilesAndTheServedMetadata) {
  const auto metadata = download::fetch_metadata();
  ASSERT_TRUE(metadata) << outcome(metadata);
  EXPECT_EQ(*metadata, served_);
  const auto release = manifest::verify_release_metadata(*metadata);
  ASSERT_TRUE(release) << outcome(release);

  auto stage = create_stage();
  ASSERT_TRUE(stage) << outcome(stage);
  EXPECT_EQ(*parent_path(stage->path), local_app_data() + "\\BoreluTauri/updates");
  EXPECT_TRUE(std::regex_match(std::string(file_name(stage->path)),
                               std::regex("BoreluUpdate-[0-9a-f]{32}")));

  ASSERT_TRUE(download(*stage, *release));
  for (const auto& artifact : release->files) {
    const auto bytes = win::read_whole_file(join_path(stage->path, artifact.name));
    ASSERT_TRUE(bytes) << artifact.name;
    EXPECT_EQ(bytes->size(), artifact.bytes);
    EXPECT_EQ(
        crypto::sha256_hex({reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size()}),
        artifact.sha256);
    EXPECT_FALSE(exists(join_path(stage->path, artifact.name + ".part")));
  }
  EXPECT_EQ(*win::read_whole_file(join_path(stage->path, "release.json")), *metadata);
  ASSERT_FALSE(percents_.empty());
  EXPECT_EQ(percents_.back(), 100u);
  EXPECT_TRUE(std::is_sorted(percents_.begin(), percents_.end()));
  EXPECT_EQ(last_line_, "Downloading Borelu 1.4.2 \xE2\x80\x94 100%");

  remove_stage_after_success(*stage);
  EXPECT_FALSE(exists(stage->path));

  for (const std::string& line : request_log()) {
    EXPECT_NE(line.find("\"User-Agent\": \"Borelu/1 WebInstaller\""), std::string::npos) << line;
    EXPECT_NE(line.find("\"Cache-Control\": \"no-cache\""), std::string::npos) << line;
    EXPECT_EQ(line.find("Cookie"), std::string::npos) << line;
  }
}

TEST_F(DownloadScenario, StatusOtherThan200IsTheStatusMessageAndRedirectsAreNotFollowed) {
  const auto before = request_log().size();
  set_rules(R"({"/updates/latest.json": {"status": 404}})");
  EXPECT_EQ(outcome(download::fetch_metadata()), "Borelu download server returned HTTP 404.");
  set_rules(
      R"({"/updates/latest.json": {"status": 302, "location": "/releases/1.4.2/Borelu.exe"}})");
  EXPECT_EQ(outcome(download::fetch_metadata()), "Borelu download server returned HTTP 302.");
  set_rules(
      R"({"/updates/latest.json": {"status": 301, "location": "https://localhost/updates/latest.json"}})");
  EXPECT_EQ(outcome(download::fetch_metadata()), "Borelu download server returned HTTP 301.");
  EXPECT_EQ(request_log().size(), before + 3) << "a redirect was followed";
}

TEST_F(DownloadScenario, MetadataOfExactly32768BytesIsReadAndOneMoreIsRefused) {
  std::string padded = served_;
  padded.resize(manifest::MAX_METADATA_BYTES, ' ');
  ASSERT_TRUE(win::write_whole_file(metadata_path_, padded));
  const auto exact = download::fetch_metadata();
  ASSERT_TRUE(exact) << outcome(exact);
  EXPECT_TRUE(manifest::verify_release_metadata(*exact));
  ASSERT_TRUE(win::write_whole_file(metadata_path_, padded + " "));
  EXPECT_EQ(outcome(download::fetch_metadata()), "Download exceeds its signed size limit.");
}

TEST_F(DownloadScenario, LongerAndShorterBodiesFailAndTheStageIsRemoved) {
  set_rules(R"({"/releases/1.4.2/BoreluService.exe": {"extra": 1}})");
  auto stage = create_stage();
  ASSERT_TRUE(stage);
  EXPECT_EQ(outcome(download(*stage, release_)), "Download exceeds its signed size limit.");
  EXPECT_FALSE(exists(stage->path));

  set_rules(R"({"/releases/1.4.2/BoreluService.exe": {"short": 1}})");
  stage = create_stage();
  ASSERT_TRUE(stage);
  EXPECT_EQ(outcome(download(*stage, release_)),
            "BoreluService.exe failed SHA-256/size verification.");
  EXPECT_FALSE(exists(stage->path));
}

TEST_F(DownloadScenario, ArtifactUrlsOffTheUpdateHostAreRefused) {
  for (const std::string prefix : {"https://example.com/", "http://localhost/",
                                   "https://LOCALHOST/", "https://localhost.example/"}) {
    auto release = release_;
    release.files[1].url = prefix + "releases/1.4.2/BoreluService.exe";
    auto stage = create_stage();
    ASSERT_TRUE(stage);
    EXPECT_EQ(outcome(download(*stage, release)), "Unapproved download host.") << prefix;
    EXPECT_FALSE(exists(stage->path));
  }
}

TEST_F(DownloadScenario, CancelDuringTheSecondFileRemovesEverything) {
  auto stage = create_stage();
  ASSERT_TRUE(stage);
  // Once the first file has its final name, progress comes from the second file.
  const auto outcome_of_run =
      download_release(*stage, release_, served_, cancel_, [&](std::uint32_t, const std::string&) {
        if (exists(join_path(stage->path, "Borelu.exe")))
          cancel_.request_cancel();
      });
  EXPECT_EQ(outcome(outcome_of_run), "Cancelled.");
  for (const auto& artifact : release_.files) {
    EXPECT_FALSE(exists(join_path(stage->path, artifact.name)));
    EXPECT_FALSE(exists(join_path(stage->path, artifact.name + ".part")));
  }
  EXPECT_FALSE(exists(stage->path));
}

TEST(StageFolders, NoLocalAppDataAndWhatTheCleanUpLeavesAlone) {
  wchar_t saved[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", saved, MAX_PATH);
  ASSERT_GT(length, 0u);
  SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
  EXPECT_EQ(outcome(create_stage()), "Windows local data folder is unavailable.");
  SetEnvironmentVariableW(L"LOCALAPPDATA", saved);

  const std::string updates = local_app_data() + "\\BoreluTauri/updates";
  const std::string short_name = updates + "\\BoreluUpdate-0123456789abcdef0123456789abcde";
  const std::string outside = local_app_data() + "\\BoreluUpdate-0123456789abcdef0123456789abcdef";
  for (const auto& folder : {short_name, outside}) {
    ASSERT_TRUE(win::create_directories(folder));
    ASSERT_TRUE(win::write_whole_file(folder + "\\release.json", "{}"));
    Stage stage{folder, {}};
    remove_stage_after_success(stage);
    EXPECT_TRUE(exists(folder + "\\release.json")) << folder;
    DeleteFileW(win::widen(folder + "\\release.json").c_str());
    RemoveDirectoryW(win::widen(folder).c_str());
  }
}

// A folder as an earlier run of Setup leaves it: the files it stages and its marker.
void leave_stage(const std::string& folder, std::initializer_list<const char*> files) {
  ASSERT_TRUE(win::create_directories(folder));
  for (const char* name : files)
    ASSERT_TRUE(win::write_whole_file(join_path(folder, name), name));
}

void remove_test_folder(const std::string& folder) {
  for (const char* name : {"setup-run.lock", "Borelu.exe", "Borelu.exe.part", "BoreluService.exe",
                           "release.json", "notes.txt"})
    DeleteFileW(win::widen(join_path(folder, name)).c_str());
  RemoveDirectoryW(win::widen(folder).c_str());
}

// A run's start removes what earlier runs left, and only that: a stage whose marker a running
// Setup or worker holds stays whole, and so does a folder without a marker (another program's)
// and whatever else is in one.
TEST(StageFolders, ANewRunRemovesEarlierRunsLeftoversAndNothingElse) {
  const std::string updates = local_app_data() + "\\BoreluTauri/updates";
  const auto stage_at = [&](char digit) {
    return updates + "\\BoreluUpdate-" + std::string(32, digit);
  };
  const std::string left = stage_at('a');
  const std::string held = stage_at('b');
  const std::string foreign = stage_at('c');
  const std::string shared = stage_at('d');
  leave_stage(left, {"setup-run.lock", "Borelu.exe", "Borelu.exe.part", "BoreluService.exe",
                     "release.json"});
  leave_stage(held, {"setup-run.lock", "Borelu.exe", "release.json"});
  leave_stage(foreign, {"Borelu.exe", "release.json"});
  leave_stage(shared, {"setup-run.lock", "Borelu.exe", "notes.txt"});
  {
    // Held as the run that made it (or a worker reading it) holds it.
    const win::FileHandle in_use(CreateFileW(win::widen(join_path(held, "setup-run.lock")).c_str(),
                                             GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(in_use);

    auto stage = create_stage();
    ASSERT_TRUE(stage) << outcome(stage);
    EXPECT_TRUE(exists(join_path(stage->path, "setup-run.lock")));

    EXPECT_FALSE(exists(left));
    for (const char* name : {"setup-run.lock", "Borelu.exe", "release.json"})
      EXPECT_TRUE(exists(join_path(held, name))) << name;
    for (const char* name : {"Borelu.exe", "release.json"})
      EXPECT_TRUE(exists(join_path(foreign, name))) << name;
    for (const char* name : {"setup-run.lock", "Borelu.exe", "notes.txt"})
      EXPECT_TRUE(exists(join_path(shared, name))) << name;

    // This run's own stage is held in turn: a second run leaves it alone, and it goes with its
    // marker once the run is done with it.
    auto second = create_stage();
    ASSERT_TRUE(second);
    EXPECT_TRUE(exists(join_path(stage->path, "setup-run.lock")));
    remove_stage_after_success(*second);
    remove_stage_after_success(*stage);
    EXPECT_FALSE(exists(stage->path));
  }
  for (const auto& folder : {held, foreign, shared})
    remove_test_folder(folder);
}

// The clean-up follows no link: not a staging folder that is one, not an updates folder reached
// through one, not a marker that is one (links made by tests/wine/make_links.sh).
TEST(StageFolders, TheCleanUpFollowsNoLink) {
  wchar_t saved[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", saved, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::string links = "C:\\borelu-links";
  const std::string updates = links + "\\stage-local\\BoreluTauri\\updates";
  const std::string tauri = links + "\\stage-tauri\\updates\\BoreluUpdate-" + std::string(32, '2');
  const struct {
    const char* local;
    std::vector<std::pair<std::string, std::string>> kept;  // file, content
  } cases[] = {
      {"stage-local",
       {{links + "\\stage-target\\Borelu.exe", "not yours"},
        {links + "\\stage-target\\setup-run.lock", "x"},
        {updates + "\\BoreluUpdate-" + std::string(32, '3') + "\\Borelu.exe", "not yours"},
        {links + "\\stage-victim\\setup-run.lock", "x"}}},
      {"linked-local", {{tauri + "\\Borelu.exe", "not yours"}, {tauri + "\\setup-run.lock", "x"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.local);
    SetEnvironmentVariableW(L"LOCALAPPDATA", win::widen(links + "\\" + c.local).c_str());
    auto stage = create_stage();
    ASSERT_TRUE(stage) << outcome(stage);
    for (const auto& [file, content] : c.kept)
      EXPECT_EQ(win::read_whole_file(file).value_or("<gone>"), content) << file;
    stage->marker.reset();
    remove_test_folder(stage->path);
  }
  SetEnvironmentVariableW(L"LOCALAPPDATA", saved);
}

// A staging folder, or the updates folder above it, to be swapped for a link after the clean-up
// checked it and took the stage's marker: the folder renamed away and a Unix symbolic link to a
// look-alike moved into its place (Wine shows it as a reparse point only through the path). The
// clean-up holds both folders sharing no deletion, so the swap is refused; what is deleted is
// what was checked, never the link's target.
TEST(StageFolders, AFolderSwappedForALinkAfterItsCheckKeepsTheLinksTargetWhole) {
  const std::string links = "C:\\borelu-links";
  const std::string updates = links + "\\swap-local\\BoreluTauri\\updates";
  const std::string name = "BoreluUpdate-" + std::string(32, '4');
  const std::string stage = updates + "\\" + name;
  const struct {
    std::string swapped;  // the folder renamed away
    std::string link;     // the link moved into its place
    std::string victim;   // the stage as the link would show it
  } cases[] = {
      {stage, links + "\\swap-link", links + "\\swap-victim"},
      {updates, links + "\\swap-updates-link", links + "\\swap-victim-updates\\" + name},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.swapped);
    const std::string moved = c.swapped + "-away";
    leave_stage(stage, {"setup-run.lock", "Borelu.exe", "release.json"});
    bool checked = false;
    bool swapped = false;
    remove_unused_stages(updates, [&](std::string_view checked_name) {
      EXPECT_EQ(checked_name, name);
      checked = true;
      swapped = MoveFileW(win::widen(c.swapped).c_str(), win::widen(moved).c_str()) &&
                MoveFileW(win::widen(c.link).c_str(), win::widen(c.swapped).c_str());
    });
    EXPECT_TRUE(checked);
    EXPECT_FALSE(swapped);
    for (const char* file : {"setup-run.lock", "Borelu.exe", "release.json"}) {
      EXPECT_EQ(win::read_whole_file(join_path(c.victim, file)).value_or("<gone>"), "not yours")
          << file;
    }
    EXPECT_FALSE(exists(moved));
    EXPECT_FALSE(exists(stage));  // the checked folder, emptied and removed
    if (swapped) {
      MoveFileW(win::widen(c.swapped).c_str(), win::widen(c.link).c_str());
      MoveFileW(win::widen(moved).c_str(), win::widen(c.swapped).c_str());
    }
    remove_test_folder(stage);
  }
}

}  // namespace
}  // namespace borelu::controller

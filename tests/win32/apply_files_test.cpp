// The worker's file steps: work folder, checked stage copy, rollback copy, record commit, tidy-up.

#include <windows.h>

#include <gtest/gtest.h>

#include <regex>

#include "apply/artifact_file.h"
#include "apply/rollback.h"
#include "apply/stage_copy.h"
#include "apply/work_folder.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "outcome.h"
#include "process_runner.h"
#include "registration/registration.h"
#include "staged_release.h"
#include "win/files.h"
#include "win/text.h"

namespace borelu::apply {
namespace {

using testing::outcome;

using testing::make_stage;
using testing::read_text;
using testing::RELEASE_NAMES;
using testing::remove_folder;
using testing::temp_folder;

std::string read(const std::string& path) {
  return read_text(path);
}

class ApplyFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    maintenance_ = temp_folder("borelu-maintenance");
    ASSERT_TRUE(win::create_directories(maintenance_));
    stage_ = make_stage(temp_folder("borelu-stage"));
    auto work = create_work_folder(maintenance_);
    ASSERT_TRUE(work) << outcome(work);
    work_ = *work;
  }
  void TearDown() override {
    work_.keepRollback = false;
    tidy_work_folder(work_);
    remove_folder(stage_);
  }
  std::string maintenance_;
  std::string stage_;
  WorkFolder work_;
};

TEST_F(ApplyFiles, WorkFoldersAreNewRandomNamesAndTidyLeavesUnknownFiles) {
  EXPECT_TRUE(
      std::regex_match(std::string(file_name(work_.path)), std::regex("work-[0-9a-f]{32}")));
  EXPECT_EQ(*parent_path(work_.path), maintenance_);
  auto other = create_work_folder(maintenance_);
  ASSERT_TRUE(other);
  EXPECT_NE(other->path, work_.path);
  ASSERT_TRUE(win::write_whole_file(join_path(other->path, "release.json"), "{}"));
  ASSERT_TRUE(win::write_whole_file(join_path(other->path, "extra.txt"), "keep me"));
  tidy_work_folder(*other);
  EXPECT_EQ(read(join_path(other->path, "extra.txt")), "keep me");
  EXPECT_EQ(win::path_attributes(join_path(other->path, "release.json")), INVALID_FILE_ATTRIBUTES);
  remove_folder(other->path);
}

TEST_F(ApplyFiles, TheStageIsCopiedCheckedByteForByte) {
  const auto staged = copy_stage_to_work(stage_, work_.path);
  ASSERT_TRUE(staged) << outcome(staged);
  EXPECT_EQ(staged->bytes, read(join_path(stage_, "release.json")));
  EXPECT_EQ(staged->release.version, "1.4.2");
  for (const char* name : RELEASE_NAMES) {
    EXPECT_EQ(read(join_path(work_.path, name)), read(join_path(stage_, name))) << name;
  }
  EXPECT_EQ(read(join_path(work_.path, "release.json")), staged->bytes);
  tidy_work_folder(work_);
  EXPECT_EQ(win::path_attributes(work_.path), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ApplyFiles, StageFaultsAreRefusedWithTheirMessages) {
  const std::string service = join_path(stage_, "BoreluService.exe");
  const std::string original = read(service);
  ASSERT_TRUE(win::write_whole_file(service, original + "x"));
  EXPECT_EQ(outcome(copy_stage_to_work(stage_, work_.path)),
            "Downloaded file exceeds its signed size.");
  tidy_work_folder(work_);

  work_ = *create_work_folder(maintenance_);
  ASSERT_TRUE(win::write_whole_file(service, original.substr(1)));
  EXPECT_EQ(outcome(copy_stage_to_work(stage_, work_.path)),
            "BoreluService.exe failed SHA-256/size verification.");
  tidy_work_folder(work_);

  work_ = *create_work_folder(maintenance_);
  ASSERT_TRUE(win::write_whole_file(service, original));
  ASSERT_TRUE(CreateHardLinkW(win::widen(join_path(stage_, "second-name.exe")).c_str(),
                              win::widen(service).c_str(), nullptr));
  EXPECT_EQ(outcome(copy_stage_to_work(stage_, work_.path)),
            "Linked/non-regular update files are not allowed.");
  tidy_work_folder(work_);
  DeleteFileW(win::widen(join_path(stage_, "second-name.exe")).c_str());

  work_ = *create_work_folder(maintenance_);
  ASSERT_TRUE(win::write_whole_file(join_path(stage_, "release.json"), std::string(40000, ' ')));
  EXPECT_EQ(outcome(copy_stage_to_work(stage_, work_.path)), "Release metadata is too large.");
}

TEST_F(ApplyFiles, AStageReachedThroughALinkIsRefused) {
  const std::string real = "C:\\borelu-links\\real\\stage";
  make_stage(real);
  EXPECT_EQ(outcome(copy_stage_to_work("C:\\borelu-links\\dirlink\\stage", work_.path)),
            "Linked installation/update paths are not permitted.");
  remove_folder(real);
}

// The stage folder to be swapped for a link once the worker has opened and checked it: renamed
// away, and a Unix symbolic link to a look-alike (whose "release.json" is not a release) moved
// into its place. The worker holds the folder sharing no deletion, so the swap is refused, and it
// reads the stage it checked, every file relative to the folder's handle.
TEST_F(ApplyFiles, AStageSwappedForALinkAfterItsCheckIsNotRead) {
  const std::string links = "C:\\borelu-links";
  const std::string real = make_stage(links + "\\swap-stage");
  bool swapped = false;
  const auto staged = copy_stage_to_work(real, work_.path, {}, [&] {
    swapped = MoveFileW(win::widen(real).c_str(), win::widen(links + "\\swap-away").c_str()) &&
              MoveFileW(win::widen(links + "\\swap-link").c_str(), win::widen(real).c_str());
  });
  EXPECT_FALSE(swapped);
  ASSERT_TRUE(staged) << outcome(staged);
  EXPECT_EQ(staged->release.version, "1.4.2");
  EXPECT_EQ(read(join_path(work_.path, "release.json")), read(join_path(real, "release.json")));
  if (swapped) {
    MoveFileW(win::widen(real).c_str(), win::widen(links + "\\swap-link").c_str());
    MoveFileW(win::widen(links + "\\swap-away").c_str(), win::widen(real).c_str());
  }
  remove_folder(real);
}

TEST_F(ApplyFiles, RollbackCopyTakesWhatExistsInListOrder) {
  const std::string installed = temp_folder("borelu-installed");
  ASSERT_TRUE(win::create_directories(installed));
  ASSERT_TRUE(win::write_whole_file(join_path(installed, "setup-options.json"), "options"));
  ASSERT_TRUE(win::write_whole_file(join_path(installed, "Borelu.exe"), "application"));
  const auto saved = make_rollback_copy(installed, work_.rollback());
  ASSERT_TRUE(saved) << outcome(saved);
  EXPECT_EQ(*saved, (std::vector<std::string>{"Borelu.exe", "setup-options.json"}));
  EXPECT_EQ(read(join_path(work_.rollback(), "Borelu.exe")), "application");
  EXPECT_EQ(read(join_path(work_.rollback(), "setup-options.json")), "options");
  remove_folder(installed);
}

TEST_F(ApplyFiles, CommitWritesRecordsAfterCheckingTheInstalledFiles) {
  const auto staged = copy_stage_to_work(stage_, work_.path);
  ASSERT_TRUE(staged);
  const std::string installed = *manifest::installation_folder();
  ASSERT_TRUE(win::create_directories(installed));
  for (const char* name : RELEASE_NAMES) {
    ASSERT_TRUE(win::write_whole_file(join_path(installed, name), read(join_path(stage_, name))));
  }
  const std::string owner = testing::OWNER_SID;
  const options::SetupOptions preferences{"ar", true, false, true, "2026-10-19"};
  ASSERT_TRUE(commit_records(installed, staged->bytes, staged->release, preferences, owner));
  EXPECT_EQ(read(join_path(installed, "installed-release.json")), staged->bytes);
  EXPECT_EQ(read(join_path(installed, "setup-options.json")), options::to_json(preferences));
  EXPECT_TRUE(registration::startup_entry_present(owner));
  EXPECT_TRUE(manifest::read_installed_release());

  // A wrong installed file stops the commit before the preferences change.
  ASSERT_TRUE(win::write_whole_file(join_path(installed, "BoreluUpdater.exe"), "tampered"));
  const options::SetupOptions other{"en", false, false, false, "2026-10-19"};
  EXPECT_EQ(outcome(commit_records(installed, staged->bytes, staged->release, other, owner)),
            "BoreluUpdater.exe failed SHA-256/size verification.");
  EXPECT_EQ(read(join_path(installed, "setup-options.json")), options::to_json(preferences));

  EXPECT_TRUE(registration::set_startup_entry(owner, false, "x"));
  EXPECT_TRUE(registration::remove_uninstall_entry());
  remove_folder(installed);
}

TEST(CheckFileAgainstArtifact, MissingFileIsTheSystemErrorText) {
  const manifest::Artifact artifact{"Borelu.exe", "u", std::string(64, 'a'), 1024};
  const auto result = check_file_against_artifact("C:\\borelu-links\\real\\absent.exe", artifact);
  ASSERT_FALSE(result);
  EXPECT_TRUE(result.error().text().ends_with("(os error 2)")) << result.error().text();
}

}  // namespace
}  // namespace borelu::apply

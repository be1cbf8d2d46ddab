#include <gtest/gtest.h>

#include "apply/apply_journal.h"
#include "core/path_text.h"
#include "manifest/records.h"
#include "windows/owner_sid.h"

namespace borelu {
namespace {

TEST(PathText, JoinParentAndName) {
  EXPECT_EQ(join_path("C:\\Program Files", "Borelu"), "C:\\Program Files\\Borelu");
  EXPECT_EQ(join_path("C:\\", "Borelu"), "C:\\Borelu");
  EXPECT_EQ(*parent_path("C:\\Program Files\\Borelu"), "C:\\Program Files");
  EXPECT_EQ(*parent_path("C:\\Program Files\\Borelu\\"), "C:\\Program Files");
  EXPECT_EQ(*parent_path("C:\\Borelu"), "C:\\");
  EXPECT_EQ(*parent_path("C:\\Local\\BoreluTauri/updates\\BoreluUpdate-1"),
            "C:\\Local\\BoreluTauri/updates");
  EXPECT_EQ(*parent_path("C:\\Local\\BoreluTauri/updates"), "C:\\Local\\BoreluTauri");
  EXPECT_EQ(*parent_path("\\\\server\\share\\folder"), "\\\\server\\share\\");
  EXPECT_FALSE(parent_path("C:\\"));
  EXPECT_FALSE(parent_path("\\\\server\\share\\"));
  EXPECT_FALSE(parent_path("Borelu"));
  EXPECT_FALSE(parent_path(""));
  EXPECT_EQ(file_name("C:\\a\\b.exe"), "b.exe");
  EXPECT_EQ(file_name("b.exe"), "b.exe");
}

TEST(PathText, OnlyDrivePathsOfThisComputerAreLocal) {
  for (const char* local : {"C:\\", "C:\\Users\\A B\\AppData\\Local\\BoreluTauri/updates\\x",
                            "d:/stage/", "Z:\\a.b\\c"}) {
    EXPECT_TRUE(is_local_drive_path(local)) << local;
  }
  for (const char* other :
       {"\\\\server\\share\\stage", "//server/share/stage", "\\\\?\\C:\\stage",
        "\\\\?\\UNC\\server\\share", "\\\\.\\C:\\stage", "\\\\.\\pipe\\x", "\\stage", "stage",
        "C:stage", "C:", "", "1:\\stage", "C:\\stage:stream", "C:\\a\\..\\..\\x", "C:\\a\\.\\x",
        "C:\\a\\\\x", "C:\\a\nb"}) {
    EXPECT_FALSE(is_local_drive_path(other)) << other;
  }
}

TEST(ApplyJournal, ReadsBackWhatIsWrittenAndNothingElse) {
  const apply::ApplyJournal journal{true, "S-1-5-21-1-2-3-1001", false, false};
  const std::string json = apply::apply_journal_json(journal);
  EXPECT_EQ(
      json,
      R"({"changesStartup":false,"hadStartup":true,"ownerSid":"S-1-5-21-1-2-3-1001","serviceExisted":false})");
  EXPECT_EQ(apply::parse_apply_journal(json), journal);
  // A record written before "changesStartup" existed is a run that may have changed the value;
  // such a run is written without the member, so that a Setup from before it can still restore.
  const std::string earlier =
      R"({"hadStartup":true,"ownerSid":"S-1-5-21-1-2-3-1001","serviceExisted":false})";
  const apply::ApplyJournal changing{true, "S-1-5-21-1-2-3-1001", false, true};
  EXPECT_EQ(apply::parse_apply_journal(earlier), changing);
  EXPECT_EQ(apply::apply_journal_json(changing), earlier);
  EXPECT_EQ(
      apply::parse_apply_journal(
          R"({"changesStartup":true,"hadStartup":true,"ownerSid":"S-1-5-21-1-2-3-1001","serviceExisted":false})"),
      changing);
  for (
      const char* refused : {
          R"({"hadStartup":true,"ownerSid":"S-1-5-21-1","serviceExisted":false,"x":1})",
          R"({"changesStartup":1,"hadStartup":true,"ownerSid":"S-1-5-21-1","serviceExisted":false})",
          R"({"hadStartup":true,"ownerSid":"S-1-5-21-1"})",
          R"({"hadStartup":true,"hadStartup":false,"ownerSid":"S-1-5-21-1","serviceExisted":false})",
          R"({"hadStartup":1,"ownerSid":"S-1-5-21-1","serviceExisted":false})",
          R"({"hadStartup":true,"ownerSid":"S-1-5-18","serviceExisted":false})",
          R"([true,"S-1-5-21-1",false])",
          "",
      }) {
    EXPECT_FALSE(apply::parse_apply_journal(refused)) << refused;
  }
  const std::string padded = std::string(1024 - json.size(), ' ') + json;
  EXPECT_TRUE(apply::parse_apply_journal(padded));
  EXPECT_FALSE(apply::parse_apply_journal(" " + padded));
}

TEST(InstallationRecords, MaintenanceFolderIsASiblingOfTheInstallationFolder) {
  EXPECT_EQ(*manifest::maintenance_folder_beside("C:\\Program Files\\Borelu"),
            "C:\\Program Files\\BoreluMaintenance");
  EXPECT_EQ(*manifest::maintenance_folder_beside("D:\\Borelu"), "D:\\BoreluMaintenance");
  EXPECT_EQ(manifest::maintenance_folder_beside("Borelu").error().text(), "Missing Program Files.");
}

TEST(InstallationRecords, RunnerPathFollowsTheUpdaterDigestOnly) {
  std::vector<manifest::Artifact> files{
      {"Borelu.exe", "u1", std::string(64, '1'), 2000},
      {"BoreluUpdater.exe", "u2", std::string(64, '2'), 2000},
      {"BoreluService.exe", "u3", std::string(64, '3'), 2000},
  };
  const std::string maintenance = "C:\\Program Files\\BoreluMaintenance";
  const auto first = manifest::updater_runner_in(maintenance, files);
  EXPECT_EQ(*first, maintenance + "\\runners\\" + std::string(64, '2') + "\\BoreluUpdater.exe");
  files[0].sha256 = std::string(64, '9');  // a new application keeps the runner
  files[2].bytes = 5000;
  EXPECT_EQ(*manifest::updater_runner_in(maintenance, files), *first);
  files[1].sha256 = std::string(64, 'a');  // a new updater gets a new one
  EXPECT_NE(*manifest::updater_runner_in(maintenance, files), *first);

  files.erase(files.begin() + 1);
  EXPECT_EQ(manifest::updater_runner_in(maintenance, files).error().text(), "Missing updater.");
  files.push_back({"boreluupdater.exe", "u", std::string(64, '4'), 2000});
  EXPECT_EQ(manifest::updater_runner_in(maintenance, files).error().text(), "Missing updater.");
}

TEST(InstallationRecords, LastUpdateIsCompactWithRollbackFirst) {
  EXPECT_EQ(
      manifest::last_update_json(
          "C:\\Program Files\\BoreluMaintenance\\work-0123456789abcdef0123456789abcdef\\rollback",
          "1.4.2"),
      "{\"rollback\":\"C:\\\\Program Files\\\\BoreluMaintenance\\\\"
      "work-0123456789abcdef0123456789abcdef\\\\rollback\",\"version\":\"1.4.2\"}");
  EXPECT_EQ(manifest::last_update_json("C:\\\"q\"\\\xD9\x85", "0.0.0"),
            "{\"rollback\":\"C:\\\\\\\"q\\\"\\\\\xD9\x85\",\"version\":\"0.0.0\"}");
}

TEST(OwnerSid, AcceptsPersonAccountsOnly) {
  EXPECT_TRUE(blocking::is_valid_owner_sid("S-1-5-21-0-0-0-1000"));
  EXPECT_TRUE(blocking::is_valid_owner_sid("S-1-12-1-1234567890-123456789-1234567890-1234567890"));
  const std::string prefix = "S-1-5-21-";
  std::string longest = prefix;
  while (longest.size() < 183)
    longest += longest.size() % 11 == 0 ? '-' : '7';
  EXPECT_TRUE(blocking::is_valid_owner_sid(longest));
  EXPECT_FALSE(blocking::is_valid_owner_sid(longest + "7"));
  for (const char* bad :
       {"S-1-5-18", "S-1-5-21-1-2-3-x", "S-1-5-21-1-2-3-1000 ", " S-1-5-21-1", "s-1-5-21-1",
        "S-1-12-2-1", "S-1-5-21", "", "S-1-5-21-1\n", "S-1-5-21-1-2-3-500A"}) {
    EXPECT_FALSE(blocking::is_valid_owner_sid(bad)) << bad;
  }
}

}  // namespace
}  // namespace borelu

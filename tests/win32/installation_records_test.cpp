// The installation and maintenance folders and their records, in the test prefix's Program Files.

#include <windows.h>

#include <gtest/gtest.h>

#include "outcome.h"

#include "apply/maintenance_folder.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "manifest/records.h"
#include "storage/path_safety.h"
#include "test_prefix.h"
#include "win/files.h"
#include "win/system_error.h"
#include "win/text.h"

namespace borelu::manifest {
namespace {

using testing::fixture_text;

class InstalledRelease : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = *installation_folder();
    ASSERT_TRUE(win::create_directories(folder_));
    record_ = join_path(folder_, INSTALLED_RELEASE_FILE);
  }
  void TearDown() override {
    DeleteFileW(win::widen(record_).c_str());
    RemoveDirectoryW(win::widen(folder_).c_str());
  }
  std::string folder_;
  std::string record_;
};

TEST(InstallationFolders, ProgramFilesBoreluAndItsSibling) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"ProgramW6432", buffer, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::string program_files = win::narrow(std::wstring_view(buffer, length));
  EXPECT_EQ(*installation_folder(), program_files + "\\Borelu");
  EXPECT_EQ(*maintenance_folder_path(), program_files + "\\BoreluMaintenance");
}

TEST_F(InstalledRelease, AbsentEmptyChangedAndReindentedRecords) {
  EXPECT_EQ(testing::outcome(read_installed_release()),
            "Run BoreluSetup once to enable automatic updates.");

  ASSERT_TRUE(win::write_whole_file(record_, ""));
  EXPECT_EQ(testing::outcome(read_installed_release()), "Release metadata is too large.");

  const std::string document = fixture_text("release-localhost-1.4.2.json");
  ASSERT_TRUE(win::write_whole_file(record_, document));
  const auto release = read_installed_release();
  ASSERT_TRUE(release) << release.error().text();
  EXPECT_EQ(release->version, "1.4.2");

  std::string changed = document;
  changed.replace(changed.find("\"bytes\":2000"), 12, "\"bytes\":2001");
  ASSERT_TRUE(win::write_whole_file(record_, changed));
  EXPECT_EQ(testing::outcome(read_installed_release()),
            "The release signature could not be verified.");

  std::string reindented;
  for (const char c : document) {
    reindented.push_back(c);
    if (c == ',' || c == '[' || c == '{')
      reindented += "\r\n\t\t";
  }
  ASSERT_TRUE(win::write_whole_file(record_, reindented));
  EXPECT_TRUE(read_installed_release());
}

// Only a missing file is a missing record: one held open by someone else is a failure to read.
TEST_F(InstalledRelease, AnUnreadableRecordIsAFailureNotAnAbsence) {
  ASSERT_TRUE(win::write_whole_file(record_, fixture_text("release-localhost-1.4.2.json")));
  const HANDLE exclusive =
      CreateFileW(win::widen(record_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  EXPECT_EQ(testing::outcome(read_installed_release()),
            "Read installed release: " + win::system_error_text(ERROR_SHARING_VIOLATION));
  CloseHandle(exclusive);
}

TEST(MaintenanceFolder, PreparedProtectedAndRecordsLastUpdate) {
  const auto folder = apply::prepare_maintenance_folder();
  ASSERT_TRUE(folder) << folder.error().text();
  EXPECT_EQ(*folder, *maintenance_folder_path());
  const DWORD attributes = win::path_attributes(*folder);
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

  const std::string rollback =
      join_path(*folder, "work-0123456789abcdef0123456789abcdef\\rollback");
  write_last_update(rollback, "1.4.2");
  const auto record = win::read_whole_file(join_path(*folder, LAST_UPDATE_FILE));
  ASSERT_TRUE(record);
  EXPECT_EQ(*record, last_update_json(rollback, "1.4.2"));
  EXPECT_NE(record->find("\\\\BoreluMaintenance\\\\work-"), std::string::npos);

  const auto release = verify_release_metadata(fixture_text("release-localhost-1.4.2.json"));
  ASSERT_TRUE(release);
  EXPECT_EQ(*updater_runner_path(release->files),
            join_path(join_path(join_path(*folder, "runners"), release->files[2].sha256),
                      "BoreluUpdater.exe"));

  DeleteFileW(win::widen(join_path(*folder, LAST_UPDATE_FILE)).c_str());
  RemoveDirectoryW(win::widen(*folder).c_str());
}

}  // namespace
}  // namespace borelu::manifest

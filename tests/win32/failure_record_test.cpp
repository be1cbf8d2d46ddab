// "last-install-error.json" written and read back in the test prefix's maintenance folder.

#include <windows.h>

#include <gtest/gtest.h>

#include "controller/failure_record.h"
#include "controller/failure_record_format.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "outcome.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"
#include "windows/policy.h"

namespace borelu::controller {
namespace {

std::string record_path() {
  return join_path(*manifest::maintenance_folder_path(), FAILURE_RECORD_FILE);
}

TEST(FailureRecordFile, WrittenByThisProcessAndReadBackOnlyWhenFresh) {
  const std::uint64_t start = current_unix_millis();
  ASSERT_TRUE(write_failure_record(std::string(3000, 'e')));
  const auto bytes = win::read_whole_file(record_path());
  ASSERT_TRUE(bytes);
  EXPECT_TRUE(bytes->starts_with("{\"createdMillis\":"));
  EXPECT_TRUE(bytes->ends_with(",\"workerPid\":" + std::to_string(GetCurrentProcessId()) + "}"));
  EXPECT_EQ(read_failure_record(GetCurrentProcessId(), start), std::string(2000, 'e'));
  EXPECT_FALSE(read_failure_record(GetCurrentProcessId() + 1, start));
  EXPECT_FALSE(read_failure_record(GetCurrentProcessId(), current_unix_millis() + 60000));

  // A shorter record replaces a longer one completely.
  ASSERT_TRUE(write_failure_record("Short."));
  EXPECT_EQ(read_failure_record(GetCurrentProcessId(), start), "Short.");
}

TEST(FailureRecordFile, AHardLinkInPlaceOfTheRecordIsRefusedAndTheOtherFileKept) {
  ASSERT_TRUE(write_failure_record("First."));
  const std::string victim = join_path(*manifest::maintenance_folder_path(), "victim.txt");
  ASSERT_TRUE(win::write_whole_file(victim, "precious"));
  ASSERT_TRUE(DeleteFileW(win::widen(record_path()).c_str()));
  ASSERT_TRUE(
      CreateHardLinkW(win::widen(record_path()).c_str(), win::widen(victim).c_str(), nullptr));

  EXPECT_EQ(testing::outcome(write_failure_record("Overwrite?")), "Unsafe diagnostic file.");
  EXPECT_EQ(*win::read_whole_file(victim), "precious");

  DeleteFileW(win::widen(record_path()).c_str());
  DeleteFileW(win::widen(victim).c_str());
}

// Workers that fail before or at the install lock write their records at the same time. One in
// the middle of writing holds its new file open (as the writer does, sharing nothing): another
// writer neither stops at it nor removes or renames it, and leaves no file of its own behind.
TEST(FailureRecordFile, AnotherWritersNewFileIsNeitherInTheWayNorTouched) {
  const std::string folder = *manifest::maintenance_folder_path();
  ASSERT_TRUE(write_failure_record("First."));
  for (const std::string& theirs : {record_path() + ".new", record_path() + ".0123abcd.new"}) {
    SCOPED_TRACE(theirs);
    DeleteFileW(win::widen(theirs).c_str());
    {
      auto other = win::create_new_file(theirs);
      ASSERT_TRUE(other);
      ASSERT_TRUE(win::write_all(other->get(), "half a record"));
      const std::uint64_t start = current_unix_millis();
      EXPECT_EQ(testing::outcome(write_failure_record("Mine.")), "success");
      EXPECT_EQ(read_failure_record(GetCurrentProcessId(), start), "Mine.");
    }
    EXPECT_EQ(win::read_whole_file(theirs).value_or("<gone>"), "half a record");
    DeleteFileW(win::widen(theirs).c_str());
  }
  WIN32_FIND_DATAW found{};
  const win::FindHandle left(
      FindFirstFileW(win::widen(join_path(folder, "*.new")).c_str(), &found));
  EXPECT_FALSE(left) << win::narrow(found.cFileName);
}

TEST(BlockingPolicyFile, AbsentFileHasItsOwnMessage) {
  const std::string policy = join_path(*manifest::installation_folder(), blocking::POLICY_FILE);
  DeleteFileW(win::widen(policy).c_str());
  EXPECT_EQ(testing::outcome(blocking::read_blocking_policy()),
            "Install the Borelu blocking service first.");
  ASSERT_TRUE(win::create_directories(*manifest::installation_folder()));
  ASSERT_TRUE(win::write_whole_file(policy, std::string(5000, ' ')));
  EXPECT_EQ(testing::outcome(blocking::read_blocking_policy()), "Invalid blocking policy.");
  DeleteFileW(win::widen(policy).c_str());
}

}  // namespace
}  // namespace borelu::controller

// "last-install-error.json" written and read back in the test prefix's maintenance folder.

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "controller/failure_record.h"
#include "core/path_text.h"
#include "manifest/installation.h"
#include "outcome.h"
#include "protocol/failure_record_format.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"
#include "windows/policy.h"

namespace borelu::controller {
namespace {

std::string record_path() {
  return join_path(*manifest::maintenance_folder_path(), protocol::FAILURE_RECORD_FILE);
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

// An id no process has: the ended writer's.
DWORD unused_process_id() {
  for (DWORD pid = 0xFFFF0000; pid != 0; pid += 4) {
    const win::Handle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process && GetLastError() == ERROR_INVALID_PARAMETER) {
      return pid;
    }
  }
  return 0;
}

void make_file(const std::string& path, bool two_days_old) {
  auto file = win::create_new_file(path);
  ASSERT_TRUE(file);
  ASSERT_TRUE(win::write_all(file->get(), "half a record"));
  if (two_days_old) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= 2ULL * 24 * 60 * 60 * 10000000;
    const FILETIME old{time.LowPart, time.HighPart};
    ASSERT_TRUE(SetFileTime(file->get(), nullptr, nullptr, &old));
  }
}

// A worker killed between creating its new record file and renaming it left that file: the next
// record written removes it, and keeps every file a writer may still rename (two workers may fail
// at once, each through a file of its own).
TEST(FailureRecordFile, LeftOverNewFilesAreRemovedAndOnesStillBeingWrittenKept) {
  const std::string folder = *manifest::maintenance_folder_path();
  ASSERT_TRUE(write_failure_record("First."));
  const DWORD gone_pid = unused_process_id();
  const DWORD running_pid = GetCurrentProcessId();
  ASSERT_NE(gone_pid, 0u);
  const auto named = [&](const std::string& name) { return join_path(folder, name); };
  const std::string hex = "0123456789abcde";
  struct Case {
    std::string path;
    bool twoDaysOld;
    bool removed;
  };
  const std::vector<Case> cases{
      {named(protocol::record_temporary_name(gone_pid, hex + "1")), false,
       true},  // its writer died
      {named(protocol::record_temporary_name(running_pid, hex + "2")), false,
       false},  // being written
      {named(protocol::record_temporary_name(running_pid, hex + "3")), true,
       true},                                               // the id reused since
      {record_path() + "." + hex + "4.new", true, true},    // an earlier writer's, a day gone
      {record_path() + "." + hex + "5.new", false, false},  // an earlier writer's, perhaps live
      {record_path() + ".0123abcd.new", true, false},       // not a name Setup writes
  };
  for (const auto& entry : cases) {
    DeleteFileW(win::widen(entry.path).c_str());
    make_file(entry.path, entry.twoDaysOld);
  }
  // A writer in the middle of writing holds its file open, sharing nothing.
  const std::string held = named(protocol::record_temporary_name(gone_pid, hex + "6"));
  DeleteFileW(win::widen(held).c_str());
  auto holder = win::create_new_file(held);
  ASSERT_TRUE(holder);

  const std::uint64_t start = current_unix_millis();
  EXPECT_EQ(testing::outcome(write_failure_record("Mine.")), "success");
  EXPECT_EQ(read_failure_record(GetCurrentProcessId(), start), "Mine.");
  for (const auto& entry : cases) {
    EXPECT_EQ(win::path_attributes(entry.path) == INVALID_FILE_ATTRIBUTES, entry.removed)
        << entry.path;
    DeleteFileW(win::widen(entry.path).c_str());
  }
  EXPECT_NE(win::path_attributes(held), INVALID_FILE_ATTRIBUTES);
  holder->reset();
  DeleteFileW(win::widen(held).c_str());
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

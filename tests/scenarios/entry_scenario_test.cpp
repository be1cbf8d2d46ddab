// BoreluSetup.exe started with exact command lines: exit codes and what it prints.

#include <gtest/gtest.h>

#include "controller/failure_record.h"
#include "process_runner.h"
#include "win/text.h"

namespace borelu::testing {
namespace {

// The stage below does not exist, so a worker that is reached fails at the stage's metadata.
const std::string kMissingStage = "Read verified update: ";

class EntryScenario : public ::testing::Test {
 protected:
  ProcessOutcome run(const std::wstring& arguments,
                     StandardHandles handles = StandardHandles::pipes) {
    return run_process(L"\"" + program_path("BORELU_SETUP_EXE") + L"\" " + arguments, handles);
  }

  void expect_refused_silently(const std::wstring& arguments) {
    const auto outcome = run(arguments);
    EXPECT_TRUE(outcome.dialogs.empty()) << win::narrow(arguments);
    EXPECT_EQ(outcome.exitCode, 1u) << win::narrow(arguments);
    EXPECT_EQ(outcome.standardOutput, "") << win::narrow(arguments);
    EXPECT_EQ(outcome.standardError, "") << win::narrow(arguments);
  }

  void expect_reaches_worker(const std::wstring& arguments) {
    const auto outcome = run(arguments);
    EXPECT_TRUE(outcome.dialogs.empty()) << win::narrow(arguments);
    EXPECT_EQ(outcome.exitCode, 1u) << win::narrow(arguments);
    EXPECT_EQ(outcome.standardOutput, "") << win::narrow(arguments);
    EXPECT_TRUE(outcome.standardError.starts_with(kMissingStage) ||
                outcome.standardError == "Windows installation permission is required.\n")
        << win::narrow(arguments) << ": " << outcome.standardError;
    EXPECT_TRUE(outcome.standardError.ends_with(")\n") || outcome.standardError.ends_with(".\n"));
  }
};

const std::wstring kStage =
    L"--stage \"C:\\Users\\Test User\\AppData\\Local\\BoreluTauri/updates\\"
    L"BoreluUpdate-0123456789abcdef0123456789abcdef\"";
const std::wstring kOwner = L" --owner-sid S-1-5-21-0-0-0-1000";

std::wstring worker(const std::wstring& pid, const std::wstring& tail) {
  return L"--worker " + kStage + kOwner + L" --parent-pid " + pid + L" " + tail;
}

TEST_F(EntryScenario, AcceptedWorkerFormsReachTheWorker) {
  expect_reaches_worker(worker(L"0", L"--setup"));
  expect_reaches_worker(worker(L"+42", L"--update"));
  expect_reaches_worker(worker(L"4294967295", L"--setup --options ar:101:2026-10-19"));
  expect_reaches_worker(worker(L"0", L"--setup --options en:001:2026-10-06"));
  expect_reaches_worker(L"--worker --stage C:\\stage --owner-sid x --parent-pid 7 --update");
}

TEST_F(EntryScenario, MalformedWorkerCommandLinesExitWithOneAndPrintNothing) {
  expect_refused_silently(L"--worker");
  expect_refused_silently(worker(L"0", L"--setup --options"));                      // 9 arguments
  expect_refused_silently(worker(L"0", L"--setup --options en:001:2026-10-19 x"));  // 11
  expect_refused_silently(L"--worker --Stage C:\\s --owner-sid S --parent-pid 0 --setup");
  expect_refused_silently(worker(L"0", L"--update --options en:001:2026-10-19"));
  expect_refused_silently(worker(L"0", L"--setup --option en:001:2026-10-19"));
  expect_refused_silently(worker(L"0", L"--setup --options fr:001:2026-10-19"));
  expect_refused_silently(worker(L"0", L"--setup --options en:001:2026-10-20"));
  expect_refused_silently(worker(L"0", L"--repair"));
  for (const wchar_t* pid : {L"-1", L"\"\"", L"4294967296", L"\" 1\"", L"0x10"}) {
    expect_refused_silently(worker(pid, L"--setup"));
  }
}

TEST_F(EntryScenario, OtherCommandLinesAreRefusedWithExitCodeOne) {
  for (const wchar_t* arguments : {L"--setup", L"--update", L"--uninstall",
                                   L"https://borelu.app/releases/1.0.0/Borelu.exe", L"C:\\x.exe"}) {
    const auto outcome = run(arguments);
    EXPECT_EQ(outcome.exitCode, 1u);
    EXPECT_EQ(outcome.standardError, "");
    // The refusal is explained in the failure dialog, in English (no wizard chose a language).
    ASSERT_EQ(outcome.dialogs.size(), 1u);
    const auto& dialog = outcome.dialogs[0];
    EXPECT_EQ(dialog.title, "Borelu");
    EXPECT_TRUE(dialog.shows("The operation could not finish"));
    EXPECT_TRUE(dialog.shows("support@borelu.app"));
    EXPECT_TRUE(dialog.shows("Technical details"));
    EXPECT_FALSE(dialog.rightToLeft);
  }
}

TEST_F(EntryScenario, AFailedElevatedWorkerLeavesItsRecordAndARefusedOneDoesNot) {
  const std::uint64_t start = controller::current_unix_millis();
  const auto failed = run(worker(L"0", L"--setup"));
  ASSERT_EQ(failed.exitCode, 1u);
  // Wine runs every process elevated, so the worker writes its record.
  ASSERT_TRUE(failed.standardError.ends_with("\n"));
  EXPECT_EQ(controller::read_failure_record(failed.processId, start),
            failed.standardError.substr(0, failed.standardError.size() - 1));

  const auto refused = run(worker(L"-1", L"--setup"));
  ASSERT_EQ(refused.exitCode, 1u);
  EXPECT_FALSE(controller::read_failure_record(refused.processId, start));
  EXPECT_TRUE(controller::read_failure_record(failed.processId, start));
}

TEST_F(EntryScenario, WorkerWithoutStandardErrorStillEndsWithOne) {
  const auto outcome = run(worker(L"0", L"--setup"), StandardHandles::none);
  EXPECT_EQ(outcome.exitCode, 1u);
}

}  // namespace
}  // namespace borelu::testing

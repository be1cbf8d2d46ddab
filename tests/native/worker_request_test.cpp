#include "protocol/worker_request.h"

#include <gtest/gtest.h>

#include <vector>

namespace borelu::protocol {
namespace {

std::vector<std::string> worker_line(std::string parent = "0", std::string mode = "--setup") {
  return {"--worker",
          "--stage",
          "C:\\Users\\me\\AppData\\Local\\BoreluTauri/updates\\BoreluUpdate-x",
          "--owner-sid",
          "S-1-5-21-1-2-3-1001",
          "--parent-pid",
          std::move(parent),
          std::move(mode)};
}

std::vector<std::string> with_options(std::vector<std::string> line, std::string switch_name,
                                      std::string value) {
  line.push_back(std::move(switch_name));
  line.push_back(std::move(value));
  return line;
}

TEST(RunMode, NoArgumentsIsTheWizardAndOnlyWorkerSelectsTheWorker) {
  EXPECT_EQ(choose_run_mode({}), RunMode::wizard);
  const std::vector<std::string> worker{"--worker"};
  EXPECT_EQ(choose_run_mode(worker), RunMode::worker);
  for (const char* first : {"--setup", "--update", "--uninstall", "https://example.com/x.exe",
                            "C:\\path", "--Worker", "", " --worker"}) {
    const std::vector<std::string> line{first};
    EXPECT_EQ(choose_run_mode(line), RunMode::refused) << first;
  }
}

TEST(WorkerArguments, EightArgumentFormsGiveARequestWithoutPreferences) {
  const auto setup = parse_worker_arguments(worker_line());
  ASSERT_TRUE(setup);
  EXPECT_EQ(setup->stageDir, "C:\\Users\\me\\AppData\\Local\\BoreluTauri/updates\\BoreluUpdate-x");
  EXPECT_EQ(setup->ownerSid, "S-1-5-21-1-2-3-1001");
  EXPECT_EQ(setup->parentPid, 0u);
  EXPECT_EQ(setup->operation, Operation::setup);
  EXPECT_FALSE(setup->preferences);

  const auto update = parse_worker_arguments(worker_line("4242", "--update"));
  ASSERT_TRUE(update);
  EXPECT_EQ(update->operation, Operation::update);
  EXPECT_EQ(update->parentPid, 4242u);
}

TEST(WorkerArguments, TenArgumentFormCarriesValidatedPreferences) {
  const auto request =
      parse_worker_arguments(with_options(worker_line(), "--options", "ar:101:2026-10-19"));
  ASSERT_TRUE(request);
  ASSERT_TRUE(request->preferences);
  EXPECT_EQ(*request->preferences, (options::SetupOptions{"ar", true, false, true, "2026-10-19"}));

  EXPECT_FALSE(parse_worker_arguments(
      with_options(worker_line("0", "--update"), "--options", "ar:101:2026-10-19")));
  EXPECT_FALSE(
      parse_worker_arguments(with_options(worker_line(), "--option", "ar:101:2026-10-19")));
  EXPECT_FALSE(
      parse_worker_arguments(with_options(worker_line(), "--options", "fr:101:2026-10-19")));
  EXPECT_FALSE(
      parse_worker_arguments(with_options(worker_line(), "--options", "en:101:2026-10-20")));
  EXPECT_FALSE(
      parse_worker_arguments(with_options(worker_line(), "--options", "en:11:2026-10-19")));
}

TEST(WorkerArguments, WrongCountsSwitchNamesOrModeAreRefused) {
  auto nine = worker_line();
  nine.push_back("--options");
  EXPECT_FALSE(parse_worker_arguments(nine));
  auto eleven = with_options(worker_line(), "--options", "en:001:2026-10-19");
  eleven.push_back("extra");
  EXPECT_FALSE(parse_worker_arguments(eleven));
  auto seven = worker_line();
  seven.pop_back();
  EXPECT_FALSE(parse_worker_arguments(seven));

  for (const auto& [position, value] :
       std::vector<std::pair<std::size_t, std::string>>{{1, "--Stage"},
                                                        {3, "--owner"},
                                                        {5, "--parent"},
                                                        {7, "--repair"},
                                                        {7, "--Setup"},
                                                        {0, "--worker "}}) {
    auto line = worker_line();
    line[position] = value;
    EXPECT_FALSE(parse_worker_arguments(line)) << position << " " << value;
  }
}

TEST(WorkerArguments, StageAndOwnerArePassedOnUnchecked) {
  auto line = worker_line();
  line[2] = "";
  line[4] = "not a sid";
  const auto request = parse_worker_arguments(line);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->stageDir, "");
  EXPECT_EQ(request->ownerSid, "not a sid");
}

TEST(ProcessId, AcceptsUnsignedDecimalWithinThirtyTwoBits) {
  EXPECT_EQ(parse_process_id("0"), 0u);
  EXPECT_EQ(parse_process_id("+42"), 42u);
  EXPECT_EQ(parse_process_id("4294967295"), 4294967295u);
  EXPECT_EQ(parse_process_id("0004294967295"), 4294967295u);
  for (const char* refused : {"-1", "", "+", "4294967296", " 1", "1 ", "0x10", "++1", "1e3",
                              "99999999999999999999999", "\xd9\xa1"}) {
    EXPECT_FALSE(parse_process_id(refused)) << refused;
  }
}

TEST(WorkerParameters, RoundTripsThroughTheWorkerGrammar) {
  WorkerRequest request;
  request.stageDir = "C:\\Users\\A B\\AppData\\Local\\BoreluTauri/updates\\BoreluUpdate-0f";
  request.ownerSid = "S-1-12-1-5-6-7-8";
  request.preferences = options::SetupOptions{"en", false, true, true, "2026-10-19"};
  EXPECT_EQ(
      worker_parameters(request),
      "--worker --stage \"C:\\Users\\A B\\AppData\\Local\\BoreluTauri/updates\\BoreluUpdate-0f\""
      " --owner-sid S-1-12-1-5-6-7-8 --parent-pid 0 --setup --options en:011:2026-10-19");
}

}  // namespace
}  // namespace borelu::protocol

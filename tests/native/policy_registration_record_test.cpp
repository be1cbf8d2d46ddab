#include <gtest/gtest.h>

#include "core/utf.h"
#include "outcome.h"
#include "protocol/failure_record_format.h"
#include "registration/registration_values.h"
#include "windows/policy.h"

namespace borelu {
namespace {

using testing::outcome;

std::string policy_json(std::string_view version = "1",
                        std::string_view owner = "S-1-5-21-1-2-3-1001",
                        std::string client = std::string(64, 'c'),
                        std::string service = std::string(64, 'd')) {
  return "{\"version\":" + std::string(version) + ",\"owner_sid\":\"" + std::string(owner) +
         "\",\"client_sha256\":\"" + client + "\",\"service_sha256\":\"" + service + "\"}";
}

TEST(BlockingPolicy, ValidPolicyInObjectAndArrayForm) {
  const auto policy = blocking::parse_blocking_policy(policy_json());
  ASSERT_TRUE(policy) << outcome(policy);
  EXPECT_EQ(*policy, (blocking::Policy{1, "S-1-5-21-1-2-3-1001", std::string(64, 'c'),
                                       std::string(64, 'd')}));
  const std::string array = "[1,\"S-1-5-21-1-2-3-1001\",\"" + std::string(64, 'c') + "\",\"" +
                            std::string(64, 'd') + "\"]";
  EXPECT_TRUE(blocking::parse_blocking_policy(array));
  // Only the digest's length is read: a non-hex digest passes here and never matches a file.
  EXPECT_TRUE(
      blocking::parse_blocking_policy(policy_json("1", "S-1-5-21-1", std::string(64, 'Z'))));
}

TEST(BlockingPolicy, SizeLimitIsTestedBeforeParsing) {
  std::string exact = policy_json();
  exact.resize(blocking::MAX_POLICY_BYTES, ' ');
  EXPECT_TRUE(blocking::parse_blocking_policy(exact));
  // One byte more is refused even though the text would parse.
  EXPECT_EQ(outcome(blocking::parse_blocking_policy(exact + " ")), "Invalid blocking policy.");
}

TEST(BlockingPolicy, EveryRuleRefusesWithTheOneMessage) {
  const std::string base = policy_json();
  for (const std::string& bad : std::vector<std::string>{
           policy_json("2"),
           policy_json("0"),
           policy_json("\"1\""),
           policy_json("1.0"),
           policy_json("1", "S-1-5-18"),
           policy_json("1", "S-1-5-21-x"),
           policy_json("1", "S-1-5-21-1", std::string(63, 'c')),
           policy_json("1", "S-1-5-21-1", std::string(64, 'c'), std::string(65, 'd')),
           "{\"extra\":0," + base.substr(1),
           "{\"version\":1," + base.substr(1),
           "{\"version\":1,\"owner_sid\":\"S-1-5-21-1\",\"client_sha256\":\"" +
               std::string(64, 'c') + "\"}",
           "\xEF\xBB\xBF" + base,
           base + "x",
           "",
           "[]",
           "null",
       }) {
    EXPECT_EQ(outcome(blocking::parse_blocking_policy(bad)), "Invalid blocking policy.") << bad;
  }
}

TEST(Registration, ValueDataIsExact) {
  EXPECT_EQ(registration::reg_sz("Bo"), (std::vector<unsigned char>{'B', 0, 'o', 0, 0, 0}));
  EXPECT_EQ(registration::reg_sz("\xD8\xA8"), (std::vector<unsigned char>{0x28, 0x06, 0, 0}));
  EXPECT_EQ(registration::reg_dword(0x01020304), (std::vector<unsigned char>{4, 3, 2, 1}));
}

TEST(Registration, EstimatedSizeRoundsUpToKiB) {
  const auto files = [](std::vector<std::uint64_t> sizes) {
    std::vector<manifest::Artifact> list;
    for (auto s : sizes)
      list.push_back({"x", "u", "h", s});
    return list;
  };
  EXPECT_EQ(registration::estimated_size_kib(files({1000000, 2000000, 500000})), 3418u);
  EXPECT_EQ(registration::estimated_size_kib(files({1024, 1024, 1024})), 3u);
  EXPECT_EQ(registration::estimated_size_kib(files({1024, 1024, 1025})), 4u);
}

TEST(Registration, UninstallValuesInTableOrder) {
  const manifest::Release release{"1.4.2",
                                  1,
                                  "t",
                                  {{"Borelu.exe", "u", "h", 1000000},
                                   {"BoreluService.exe", "u", "h", 2000000},
                                   {"BoreluUpdater.exe", "u", "h", 500000}}};
  const auto values = registration::uninstall_values(
      release, "C:\\Program Files\\Borelu",
      "C:\\Program Files\\BoreluMaintenance\\runners\\ab\\BoreluUpdater.exe", "borelu.app");
  std::vector<std::string> names;
  for (const auto& v : values)
    names.push_back(v.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"DisplayName", "Publisher", "DisplayVersion",
                                      "InstallLocation", "DisplayIcon", "URLInfoAbout",
                                      "UninstallString", "NoModify", "NoRepair", "EstimatedSize"}));
  EXPECT_EQ(values[4].data, registration::reg_sz("C:\\Program Files\\Borelu\\Borelu.exe,0"));
  EXPECT_EQ(values[5].data, registration::reg_sz("https://borelu.app"));
  EXPECT_EQ(
      values[6].data,
      registration::reg_sz(
          "\"C:\\Program Files\\BoreluMaintenance\\runners\\ab\\BoreluUpdater.exe\" --uninstall"));
  EXPECT_EQ(values[9].type, registration::ValueType::dword);
  EXPECT_EQ(values[9].data, registration::reg_dword(3418));
  EXPECT_EQ(registration::startup_command("C:\\P F\\Borelu\\Borelu.exe"),
            "\"C:\\P F\\Borelu\\Borelu.exe\" --startup");
  EXPECT_EQ(registration::run_key_for("S-1-5-21-0-0-0-1000"),
            "S-1-5-21-0-0-0-1000\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
}

TEST(FailureRecord, LayoutAndTheCutByCharacters) {
  EXPECT_EQ(protocol::failure_record_json(4242, 1792000000000,
                                          "Another Borelu installation is already running."),
            "{\"createdMillis\":1792000000000,\"message\":\"Another Borelu installation is already "
            "running.\",\"workerPid\":4242}");
  const std::string long_message(3000, 'x');
  EXPECT_EQ(protocol::failure_record_json(1, 2, long_message),
            "{\"createdMillis\":2,\"message\":\"" + std::string(2000, 'x') + "\",\"workerPid\":1}");
  std::string arabic;
  for (int i = 0; i < 2500; ++i)
    arabic += "\xD8\xB9";  // two bytes each
  const std::string json = protocol::failure_record_json(1, 2, arabic);
  std::string expected_message;
  for (int i = 0; i < 2000; ++i)
    expected_message += "\xD8\xB9";
  EXPECT_EQ(json, "{\"createdMillis\":2,\"message\":\"" + expected_message + "\",\"workerPid\":1}");
  EXPECT_EQ(first_scalars("a\xF0\x9F\x98\x80"
                          "b",
                          2),
            "a\xF0\x9F\x98\x80");
}

TEST(FailureRecord, OnlySetupsOwnNewRecordFilesAndOnlyLeftOverOnesAreStale) {
  using protocol::parse_record_temporary_name;
  const std::string hex = "0123456789abcdef";
  const std::string ours = protocol::record_temporary_name(4242, hex);
  EXPECT_EQ(ours, "last-install-error.json.4242-" + hex + ".new");
  EXPECT_EQ(parse_record_temporary_name(ours)->writerPid, 4242u);
  EXPECT_EQ(
      parse_record_temporary_name("last-install-error.json.4294967295-" + hex + ".new")->writerPid,
      4294967295u);
  for (const std::string& earlier : std::vector<std::string>{
           "last-install-error.json.new", "last-install-error.json." + hex + ".new"}) {
    ASSERT_TRUE(parse_record_temporary_name(earlier)) << earlier;
    EXPECT_FALSE(parse_record_temporary_name(earlier)->writerPid) << earlier;
  }
  for (const std::string& other : std::vector<std::string>{
           std::string("last-install-error.json"), "last-install-error.json.4242-" + hex,
           "last-install-error.json.4294967296-" + hex + ".new",
           "last-install-error.json.04242-" + hex + ".new",
           "last-install-error.json.-" + hex + ".new",
           "last-install-error.json.4242-" + hex + "0.new",
           "last-install-error.json.4242-0123456789ABCDEF.new",
           "last-install-error.json.0123abcd.new", "last-install-error.json.42.42-" + hex + ".new",
           "victim.txt", "apply-in-progress.json.new",
           "x.last-install-error.json.4242-" + hex + ".new"}) {
    EXPECT_FALSE(parse_record_temporary_name(other)) << other;
  }

  const std::uint64_t bound = protocol::RECORD_TEMPORARY_MAX_AGE_MILLIS;
  const protocol::RecordTemporary owned{4242}, earlier{};
  struct Case {
    protocol::RecordTemporary temporary;
    bool running;
    std::uint64_t age;
    bool stale;
  };
  for (const auto& [temporary, running, age, stale] : {
           Case{owned, false, 0, true},         // its writer was killed before the rename
           Case{owned, true, 0, false},         // still being written
           Case{owned, true, bound, false},     // a day is the most a writer may take
           Case{owned, true, bound + 1, true},  // the id was given to another process since
           Case{earlier, false, bound, false},  // no owner to ask: only its age counts
           Case{earlier, false, bound + 1, true},
       }) {
    EXPECT_EQ(protocol::record_temporary_is_stale(temporary, running, age), stale)
        << temporary.writerPid.value_or(0) << " " << running << " " << age;
  }
}

TEST(FailureRecord, FileTimeToUnixMillis) {
  EXPECT_EQ(protocol::unix_millis_from_file_time(116444736000000000ULL), 0u);
  EXPECT_EQ(protocol::unix_millis_from_file_time(116444736000000000ULL + 12345678), 1234u);
  EXPECT_EQ(protocol::unix_millis_from_file_time(5), 0u);
}

TEST(FailureRecord, OnlyThisWorkersFreshRecordIsRead) {
  const std::string record = protocol::failure_record_json(4243, 1000, "Boom.");
  EXPECT_EQ(protocol::parse_failure_record(record, 4243, 1000), "Boom.");  // equal time accepted
  EXPECT_EQ(protocol::parse_failure_record(record, 4243, 999), "Boom.");
  EXPECT_FALSE(protocol::parse_failure_record(record, 4243, 1001));
  EXPECT_FALSE(
      protocol::parse_failure_record(protocol::failure_record_json(4242, 1000, "x"), 4243, 0));
  EXPECT_FALSE(
      protocol::parse_failure_record(protocol::failure_record_json(4243, 1000, ""), 4243, 0));
  EXPECT_FALSE(protocol::parse_failure_record(
      "{\"createdMillis\":1,\"message\":\"m\",\"workerPid\":\"4243\"}", 4243, 0));
  EXPECT_FALSE(protocol::parse_failure_record(
      "{\"createdMillis\":-1,\"message\":\"m\",\"workerPid\":4243}", 4243, 0));
  EXPECT_FALSE(protocol::parse_failure_record(
      "{\"createdMillis\":1,\"message\":7,\"workerPid\":4243}", 4243, 0));
  EXPECT_FALSE(protocol::parse_failure_record("[1,\"m\",4243]", 4243, 0));
  EXPECT_FALSE(protocol::parse_failure_record("not json", 4243, 0));
  std::string padded = record;
  padded.resize(8192, ' ');
  EXPECT_EQ(protocol::parse_failure_record(padded, 4243, 0), "Boom.");
  EXPECT_FALSE(protocol::parse_failure_record(padded + " ", 4243, 0));
  // A long message within the file limit is read whole.
  const std::string longest =
      "{\"createdMillis\":1,\"message\":\"" + std::string(8100, 'm') + "\",\"workerPid\":4243}";
  EXPECT_TRUE(protocol::parse_failure_record(longest, 4243, 0));
}

}  // namespace
}  // namespace borelu

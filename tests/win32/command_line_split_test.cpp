// Pins the system's command-line splitting rules that the worker's argument list depends on.

#include <gtest/gtest.h>

#include <vector>

#include "protocol/worker_request.h"
#include "win/command_line.h"
#include "win/text.h"

namespace borelu::win {
namespace {

std::vector<std::string> split(const wchar_t* line) {
  auto arguments = split_command_line(line);
  EXPECT_TRUE(arguments);
  return arguments ? *arguments : std::vector<std::string>{};
}

using Args = std::vector<std::string>;

TEST(CommandLineSplit, BlanksAndTabsSeparateAndQuotesGroup) {
  EXPECT_EQ(split(L"setup.exe a b\tc"), (Args{"setup.exe", "a", "b", "c"}));
  EXPECT_EQ(split(L"setup.exe   a    b  "), (Args{"setup.exe", "a", "b"}));
  EXPECT_EQ(split(L"setup.exe \"a b\" c"), (Args{"setup.exe", "a b", "c"}));
  EXPECT_EQ(split(L"setup.exe a\"b c\"d"), (Args{"setup.exe", "ab cd"}));
  EXPECT_EQ(split(L"setup.exe \"\" x"), (Args{"setup.exe", "", "x"}));
}

TEST(CommandLineSplit, BackslashesEscapeOnlyBeforeAQuote) {
  EXPECT_EQ(split(L"setup.exe C:\\a\\b\\"), (Args{"setup.exe", "C:\\a\\b\\"}));
  EXPECT_EQ(split(L"setup.exe a\\\"b"), (Args{"setup.exe", "a\"b"}));
  EXPECT_EQ(split(L"setup.exe a\\\\\"b c\""), (Args{"setup.exe", "a\\b c"}));
  EXPECT_EQ(split(L"setup.exe \"a\\\\\" b"), (Args{"setup.exe", "a\\", "b"}));
}

TEST(CommandLineSplit, DoubledQuoteInsideAQuotedRunIsALiteralQuote) {
  EXPECT_EQ(split(L"setup.exe \"a\"\"b\""), (Args{"setup.exe", "a\"b"}));
}

TEST(CommandLineSplit, ProgramPathIsTakenAsItStands) {
  const auto arguments = split(L"\"C:\\Program Files\\Borelu Setup.exe\" --worker");
  EXPECT_EQ(arguments, (Args{"C:\\Program Files\\Borelu Setup.exe", "--worker"}));
}

TEST(CommandLineSplit, TheClientsWorkerParametersComeBackAsTheSameRequest) {
  protocol::WorkerRequest request;
  request.stageDir =
      "C:\\Users\\Ana Lucia\\AppData\\Local\\BoreluTauri/updates\\BoreluUpdate-"
      "0123456789abcdef0123456789abcdef";
  request.ownerSid = "S-1-5-21-0-0-0-1000";
  request.preferences = options::SetupOptions{"ar", true, false, true, "2026-10-19"};
  const std::wstring line = L"BoreluSetup.exe " + widen(protocol::worker_parameters(request));
  auto arguments = split(line.c_str());
  ASSERT_EQ(arguments.size(), 11u);
  const auto parsed = protocol::parse_worker_arguments(std::span(arguments).subspan(1));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(*parsed, request);
}

TEST(CommandLineSplit, NonAsciiArgumentsArriveAsUtf8) {
  EXPECT_EQ(split(L"setup.exe \"C:\\\x0645\x062C\x0644\x062F\""),
            (Args{"setup.exe", "C:\\\xD9\x85\xD8\xAC\xD9\x84\xD8\xAF"}));
}

}  // namespace
}  // namespace borelu::win

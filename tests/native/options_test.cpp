#include "protocol/options.h"

#include <gtest/gtest.h>

namespace borelu::options {
namespace {

TEST(SetupOptions, InitialValuesAreTheWizardDefaultsAndNotYetInstallable) {
  const SetupOptions initial;
  EXPECT_EQ(initial.language, "en");
  EXPECT_FALSE(initial.startup);
  EXPECT_FALSE(initial.desktop);
  EXPECT_TRUE(initial.startMenu);
  EXPECT_EQ(initial.acceptedPolicy, "");
  ASSERT_FALSE(validate(initial));
  EXPECT_EQ(validate(initial).error().text(), kValidationMessage);
}

TEST(SetupOptions, EncodesFlagsInOrder) {
  const SetupOptions arabic{"ar", true, false, true, std::string(TERMS_VERSION)};
  EXPECT_EQ(encode(arabic), "ar:101:2026-10-19");
  const SetupOptions english{"en", false, true, false, "2026-10-06"};
  EXPECT_EQ(encode(english), "en:010:2026-10-06");
}

TEST(SetupOptions, DecodeAcceptsOnlyThreePiecesWithThreeFlagBytes) {
  const auto earlier = decode("en:001:2026-10-06");
  ASSERT_TRUE(earlier);
  EXPECT_EQ(*earlier, (SetupOptions{"en", false, false, true, "2026-10-06"}));
  EXPECT_TRUE(validate(*earlier));

  for (const char* refused :
       {"en:01:2026-10-19", "en:0011:2026-10-19", "en:0x1:2026-10-19", "en:001", "en", "",
        "en:001:2026-10-19:", ":::", "en:0 1:2026-10-19", "en:-01:2026-10-19"}) {
    EXPECT_FALSE(decode(refused)) << refused;
  }
  // Empty pieces still count as pieces.
  const auto empty = decode("::");
  EXPECT_FALSE(empty);
  const auto empty_language = decode(":111:");
  ASSERT_TRUE(empty_language);
  EXPECT_EQ(*empty_language, (SetupOptions{"", true, true, true, ""}));
}

TEST(SetupOptions, ValidationComparesLanguageAndTermsExactly) {
  for (const char* text : {"fr:001:2026-10-19", "en:001:2026-10-20", "EN:001:2026-10-19",
                           "en:001:", "en :001:2026-10-19", "en:001:2026-10-19 "}) {
    const auto decoded = decode(text);
    ASSERT_TRUE(decoded) << text;
    const auto verdict = validate(*decoded);
    ASSERT_FALSE(verdict) << text;
    EXPECT_EQ(verdict.error().text(),
              "Choose a supported language and accept the current terms before installing.");
  }
  for (const auto version : ACCEPTED_POLICY_VERSIONS) {
    for (const auto language : SUPPORTED_LANGUAGES) {
      EXPECT_TRUE(validate({std::string(language), false, false, false, std::string(version)}));
    }
  }
}

TEST(SetupOptions, EncodeThenDecodeGivesTheSameRecord) {
  for (int flags = 0; flags < 8; ++flags) {
    for (const auto language : SUPPORTED_LANGUAGES) {
      const SetupOptions original{std::string(language), (flags & 4) != 0, (flags & 2) != 0,
                                  (flags & 1) != 0, std::string(TERMS_VERSION)};
      const auto decoded = decode(encode(original));
      ASSERT_TRUE(decoded);
      EXPECT_EQ(*decoded, original);
    }
  }
}

TEST(SetupOptions, JsonIsCompactInFixedMemberOrder) {
  EXPECT_EQ(to_json({"en", false, false, true, "2026-10-19"}),
            R"({"language":"en","startup":false,"desktop":false,"startMenu":true,)"
            R"("acceptedPolicy":"2026-10-19"})");
  EXPECT_EQ(
      to_json({"ar", true, true, false, ""}),
      R"({"language":"ar","startup":true,"desktop":true,"startMenu":false,"acceptedPolicy":""})");
}

TEST(SetupOptions, JsonEscapesOnlyQuoteBackslashAndControlCharacters) {
  const std::string json = to_json({"a\"b\\c/\xC3\xA9", false, false, false, "\n\x01\x1f"});
  EXPECT_EQ(json,
            "{\"language\":\"a\\\"b\\\\c/\xC3\xA9\",\"startup\":false,\"desktop\":false,"
            "\"startMenu\":false,\"acceptedPolicy\":\"\\n\\u0001\\u001f\"}");
}

}  // namespace
}  // namespace borelu::options

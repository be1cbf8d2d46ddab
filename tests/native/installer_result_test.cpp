#include "apply/installer_result.h"

#include <gtest/gtest.h>

namespace borelu::apply {
namespace {

TEST(InstallerResult, NothingOnStandardErrorGivesTheFixedDetails) {
  EXPECT_EQ(installer_failure_message(1, ""),
            "Borelu service installation failed (exit 1). No additional Windows error was "
            "reported. The previous "
            "version will be restored.");
  EXPECT_EQ(installer_failure_message(-1073741819, " \r\n\t "),
            "Borelu service installation failed (exit -1073741819). No additional Windows error "
            "was reported. The "
            "previous version will be restored.");
  // Said after the apply's own failure, which already told that the previous version comes back.
  EXPECT_EQ(previous_service_failure_message(8, "\r\n"),
            "The previous Borelu service could not be installed again (exit 8). No additional "
            "Windows error was reported.");
}

TEST(InstallerResult, DetailsAreCutCleanedAndTrimmed) {
  EXPECT_EQ(installer_error_details("  line one\r\nline\ttwo\x7f\xC2\x85"
                                    "end  "),
            "line one  line two  end");
  // 5000 bytes: only the first 4096 are read, and at most 600 characters are kept.
  EXPECT_EQ(installer_error_details(std::string(5000, 'e')), std::string(600, 'e'));
  std::string arabic;
  for (int i = 0; i < 2500; ++i)
    arabic += "\xD8\xB9";  // 5000 bytes, two per character
  std::string expected;
  for (int i = 0; i < 600; ++i)
    expected += "\xD8\xB9";
  EXPECT_EQ(installer_error_details(arabic), expected);
  // Bad UTF-8 becomes U+FFFD.
  EXPECT_EQ(installer_error_details("a\xFF"
                                    "b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(installer_error_details("\xF0\x9F\x98\x80 ok"), "\xF0\x9F\x98\x80 ok");
}

}  // namespace
}  // namespace borelu::apply

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "webview2/runtime_version.h"

namespace borelu::webview2 {
namespace {

// The registry data of a REG_SZ: UTF-16LE units, terminated unless told otherwise.
std::vector<std::byte> data_of(std::u16string text, bool terminated = true) {
  if (terminated) {
    text.push_back(u'\0');
  }
  std::vector<std::byte> bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::byte>(unit & 0xFF));
    bytes.push_back(static_cast<std::byte>(unit >> 8));
  }
  return bytes;
}

TEST(RuntimeVersion, FourNumericPartsNotAllZero) {
  EXPECT_TRUE(is_usable_version(data_of(u"120.0.2210.91")));
  EXPECT_TRUE(is_usable_version(data_of(u" 120.0.2210.91 ")));
  EXPECT_TRUE(is_usable_version(data_of(u"\t0.0.0.1\r\n")));
  EXPECT_TRUE(is_usable_version(data_of(u"4294967295.0.0.0")));

  EXPECT_FALSE(is_usable_version(data_of(u"0.0.0.0")));
  EXPECT_FALSE(is_usable_version(data_of(u"1.2.3")));
  EXPECT_FALSE(is_usable_version(data_of(u"1.2.3.4.5")));
  EXPECT_FALSE(is_usable_version(data_of(u"120.0.22a0.91")));
  EXPECT_FALSE(is_usable_version(data_of(u"120..2210.91")));
  EXPECT_FALSE(is_usable_version(data_of(u"120.0.2210.")));
  EXPECT_FALSE(is_usable_version(data_of(u"+1.0.0.0")));
  EXPECT_FALSE(is_usable_version(data_of(u"1.0 .0.0")));
  EXPECT_FALSE(is_usable_version(data_of(u"4294967296.0.0.1")));
  EXPECT_FALSE(is_usable_version(data_of(u"99999999999999999999.0.0.1")));
  EXPECT_FALSE(is_usable_version(data_of(u"")));
}

TEST(RuntimeVersion, TheDataMustBeATerminatedStringOfAtMost256Bytes) {
  EXPECT_FALSE(is_usable_version(data_of(u"1.2.3.4", false)));
  auto odd = data_of(u"1.2.3.4");
  odd.push_back(std::byte{0});
  EXPECT_FALSE(is_usable_version(odd));
  EXPECT_FALSE(is_usable_version({}));

  // 127 units and the terminator fill 256 bytes exactly; one more blank is too long.
  const std::u16string padded = u"1.2.3.4" + std::u16string(120, u' ');
  EXPECT_TRUE(is_usable_version(data_of(padded)));
  EXPECT_FALSE(is_usable_version(data_of(padded + u" ")));

  EXPECT_FALSE(is_usable_version(data_of(u"1.2.3.4\xD800")));
  EXPECT_FALSE(is_usable_version(data_of(std::u16string(u"1.2\0.3.4", 8))));
}

}  // namespace
}  // namespace borelu::webview2

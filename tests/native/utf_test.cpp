#include "core/utf.h"

#include <gtest/gtest.h>

#include "core/json_text.h"

namespace borelu {
namespace {

TEST(Utf, RoundTripsEveryPlane) {
  const std::string text = "A\xC3\xA9\xD8\xB9\xE2\x82\xAC\xF0\x9F\x98\x80";  // A é ع € 😀
  const std::u16string wide = utf8_to_utf16(text);
  EXPECT_EQ(wide, (std::u16string{u'A', 0x00E9, 0x0639, 0x20AC, 0xD83D, 0xDE00}));
  EXPECT_EQ(utf16_to_utf8(wide), text);
}

TEST(Utf, UnpairedSurrogatesBecomeReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(utf16_to_utf8(std::u16string{0xD800}), replacement);
  EXPECT_EQ(utf16_to_utf8(std::u16string{0xDC00, u'x'}), replacement + "x");
  EXPECT_EQ(utf16_to_utf8(std::u16string{u'a', 0xD83D, u'b'}), "a" + replacement + "b");
  EXPECT_EQ(utf16_to_utf8(std::u16string{0xDE00, 0xD83D}), replacement + replacement);
}

TEST(Utf, MalformedUtf8BecomesReplacementCharacters) {
  const char16_t r = 0xFFFD;
  EXPECT_EQ(utf8_to_utf16("\x80"), std::u16string(1, r));
  EXPECT_EQ(utf8_to_utf16("\xC0\xAF"), std::u16string(2, r));          // overlong
  EXPECT_EQ(utf8_to_utf16("\xED\xA0\x80"), std::u16string(3, r));      // encoded surrogate
  EXPECT_EQ(utf8_to_utf16("\xF4\x90\x80\x80"), std::u16string(4, r));  // above U+10FFFF
  EXPECT_EQ(utf8_to_utf16("\xE2\x82"), std::u16string(1, r));          // cut short
  EXPECT_EQ(utf8_to_utf16("\xE2\x82z"), (std::u16string{r, u'z'}));
}

TEST(JsonText, EscapesLikeTheCanonicalForm) {
  std::string out;
  append_json_string(out, std::string("q\"b\\s/\b\f\n\r\t\x00\x7f\xC3\xA9", 15));
  EXPECT_EQ(out, "\"q\\\"b\\\\s/\\b\\f\\n\\r\\t\\u0000\x7f\xC3\xA9\"");
  // Appends to what is there; empty text, and escapes at either end of the text.
  for (const auto& [text, expected] : {std::pair{"", "[\"\"]"}, std::pair{"\x1f", "[\"\\u001f\"]"},
                                       std::pair{"\"ab\\", "[\"\\\"ab\\\\\"]"}}) {
    std::string appended = "[";
    append_json_string(appended, text);
    EXPECT_EQ(appended + "]", expected) << text;
  }
}

}  // namespace
}  // namespace borelu

// UTF-8 and UTF-16 both ways (the program's one conversion) and the small
// parsers of layout and table text.
#include <gtest/gtest.h>

#include "base/TextUtil.h"

namespace zintra {
namespace {

TEST(TextUtil, Utf8RoundTripsAndBrokenBytesBecomeReplacements) {
    EXPECT_EQ(Utf8ToUtf16("点击设置"), u"点击设置");
    EXPECT_EQ(Utf16ToUtf8(u"鼠标连点器"), "鼠标连点器");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToUtf16("a\xC0\x80z"), u"a\uFFFD\uFFFDz");  // overlong
    EXPECT_EQ(Utf8ToUtf16("\xE4\xB8"), u"\uFFFD\uFFFD");      // cut short
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // a surrogate
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(TextUtil, IntegersAreWholeDecimalOrHex) {
    EXPECT_EQ(ParseInteger("0x25"), 0x25);
    EXPECT_EQ(ParseInteger("0XfF"), 0xFF);
    EXPECT_EQ(ParseInteger("-0x10"), -16);
    EXPECT_EQ(ParseInteger(" -12 "), -12);
    EXPECT_FALSE(ParseInteger("12b").has_value());
    EXPECT_FALSE(ParseInteger("").has_value());
    EXPECT_FALSE(ParseInteger("99999999999999999999").has_value());
    EXPECT_EQ(ParseIntOr("99999999999", 0), 2147483647);
}

TEST(TextUtil, StrictDecodingRejectsWhatTheLenientOneReplaces) {
    EXPECT_EQ(StrictUtf8ToUtf16("点击\xF0\x9F\x98\x80"), u"点击\U0001F600");
    EXPECT_EQ(StrictUtf8ToUtf16(""), u"");
    EXPECT_FALSE(StrictUtf8ToUtf16("a\xC0\x80z").has_value());  // overlong
    EXPECT_FALSE(StrictUtf8ToUtf16("ab\xE4\xB8").has_value());  // cut short at the end
    EXPECT_FALSE(StrictUtf8ToUtf16("\xED\xA0\x80").has_value());  // a surrogate
    EXPECT_FALSE(StrictUtf8ToUtf16("\xF4\x90\x80\x80").has_value());  // past U+10FFFF
}

TEST(TextUtil, ReplacementCharacterIsTheCallersChoice) {
    // The simulated code page replaces with '?', as the system's conversion does.
    EXPECT_EQ(Utf8ToUtf16("a\xFFz", u'?'), u"a?z");
    EXPECT_EQ(Utf8ToUtf16("\xE4\xB8", u'?'), u"??");
    EXPECT_EQ(Utf16ToUtf8(u"a" + std::u16string(1, char16_t(0xDC00)) + u"z", U'?'), "a?z");
    // A surrogate pair is one character, not two replacements.
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600", U'?'), "\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace zintra

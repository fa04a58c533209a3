#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/NumberText.h"

namespace zintra {
namespace {

TEST(ReadSeconds, TakesTheLongestDecimalPrefix) {
    EXPECT_EQ(ReadSeconds(u"0.35"), 0.35f);
    EXPECT_EQ(ReadSeconds(u"1.5"), 1.5f);
    EXPECT_EQ(ReadSeconds(u"2"), 2.0f);
    EXPECT_EQ(ReadSeconds(u"2.0"), 2.0f);
    EXPECT_EQ(ReadSeconds(u"1e-1"), 0.1f);
    EXPECT_EQ(ReadSeconds(u"0.2x"), 0.2f);
    EXPECT_EQ(ReadSeconds(u"  +.5"), 0.5f);
    EXPECT_EQ(ReadSeconds(u"-3"), -3.0f);
    EXPECT_EQ(ReadSeconds(u"5."), 5.0f);
    EXPECT_EQ(ReadSeconds(u"1e"), 1.0f) << "an exponent without digits is not part of the number";
    EXPECT_EQ(ReadSeconds(u"1e+x"), 1.0f);
    EXPECT_EQ(ReadSeconds(u"2E2"), 200.0f);
}

TEST(ReadSeconds, TextWithoutANumberReadsAsZero) {
    // "0x10" reads as its leading 0: hexadecimal is not a decimal number.
    for (const char16_t* text : {u"", u"abc", u".", u"-", u"+.e1", u"秒", u"0x10", u"inf", u"nan"}) {
        EXPECT_EQ(ReadSeconds(text), 0.0f);
    }
}

TEST(ReadSeconds, OutOfRangeSaturates) {
    EXPECT_TRUE(std::isinf(ReadSeconds(u"1e400")));
    EXPECT_TRUE(std::isinf(ReadSeconds(u"1e39")));
    EXPECT_LT(ReadSeconds(u"-1e39"), 0.0f);
    EXPECT_EQ(ReadSeconds(u"1e-400"), 0.0f);
    EXPECT_EQ(ReadSeconds(std::u16string(500, u'9')), std::numeric_limits<float>::infinity());
}

TEST(ReadSeconds, EveryKindOfLeadingWhiteSpaceIsSkipped) {
    EXPECT_EQ(ReadSeconds(u"\t\n\v\f\r 2.5"), 2.5f);
    EXPECT_EQ(ReadSeconds(u"\u3000" u"2.5"), 0.0f) << "a full-width space is not white space";
    EXPECT_EQ(ReadInteger(u"\t\n\v\f\r 42"), 42);
}

TEST(ReadSeconds, OverflowKeepsItsSignAndExponentsTheirs) {
    EXPECT_EQ(ReadSeconds(u"-1e400"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(ReadSeconds(u"-1e-400"), 0.0f);
    EXPECT_TRUE(std::signbit(ReadSeconds(u"-1e-400"))) << "underflow keeps the sign, like strtod";
    EXPECT_EQ(ReadSeconds(u"25e-2"), 0.25f);
    EXPECT_EQ(ReadSeconds(u"2.5e+1"), 25.0f);
}

TEST(ReadInteger, SignAndDigitsUpToTheFirstOtherCharacter) {
    EXPECT_EQ(ReadInteger(u"007"), 7);
    EXPECT_EQ(ReadInteger(u""), 0);
    EXPECT_EQ(ReadInteger(u"  -12ab"), -12);
    EXPECT_EQ(ReadInteger(u"+5"), 5);
    EXPECT_EQ(ReadInteger(u"x5"), 0);
    EXPECT_EQ(ReadInteger(u"2147483647"), 2147483647);
    EXPECT_EQ(ReadInteger(u"99999999999999999999"), 2147483647) << "saturates instead of wrapping";
    EXPECT_EQ(ReadInteger(u"-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ReadInteger(u"-99999999999999999999"), -2147483647 - 1);
}

}  // namespace
}  // namespace zintra

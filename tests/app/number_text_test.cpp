#include <gtest/gtest.h>

#include <cstring>

#include "number_text.h"

namespace {

TEST(ParseInt, ReadsTheLeadingIntegerOfAnyText) {
  EXPECT_EQ(ParseInt(nullptr), 0);
  EXPECT_EQ(ParseInt(""), 0);
  EXPECT_EQ(ParseInt("abc"), 0);
  EXPECT_EQ(ParseInt("00123"), 123);
  EXPECT_EQ(ParseInt("12ab"), 12);
  EXPECT_EQ(ParseInt("- 5"), 0);
  EXPECT_EQ(ParseInt(" \t 42"), 42);
  EXPECT_EQ(ParseInt("+7"), 7);
  EXPECT_EQ(ParseInt("-7"), -7);
  EXPECT_EQ(ParseInt("-0"), 0);
  EXPECT_EQ(ParseInt("--5"), 0);
  EXPECT_EQ(ParseInt("+-5"), 0);
  EXPECT_EQ(ParseInt("9837320"), 9837320);
  EXPECT_EQ(ParseInt("\n5"), 0);  // only blanks and tabs are skipped
}

TEST(ParseInt, WrapsAroundIn32Bits) {
  EXPECT_EQ(ParseInt("2147483647"), 2147483647);
  EXPECT_EQ(ParseInt("2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInt("4294967295"), -1);
  EXPECT_EQ(ParseInt("4294967296"), 0);
  EXPECT_EQ(ParseInt("9999999999"), 1410065407);
  EXPECT_EQ(ParseInt("-4294967295"), 1);
}

TEST(FormatInt, WritesPlainDecimal) {
  EXPECT_STREQ(FormatInt(0).text, "0");
  EXPECT_STREQ(FormatInt(7).text, "7");
  EXPECT_STREQ(FormatInt(100).text, "100");
  EXPECT_STREQ(FormatInt(-1).text, "-1");
  EXPECT_STREQ(FormatInt(-10).text, "-10");
  EXPECT_STREQ(FormatInt(9837320).text, "9837320");
  EXPECT_STREQ(FormatInt(2147483647).text, "2147483647");
  EXPECT_STREQ(FormatInt(-2147483647).text, "-2147483647");
  EXPECT_STREQ(FormatInt(INT32_MIN).text, "-2147483648");
}

TEST(FormatInt, ParsesBackToTheSameValue) {
  const int32_t values[] = {0, 1, -1, 9, 10, 99, -100, 1410065407, 2147483647,
                            -2147483647, INT32_MIN, 123456789, -987654321};
  for (int32_t value : values) {
    EXPECT_EQ(ParseInt(FormatInt(value).text), value) << value;
  }
}

}  // namespace

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

// The tool's own call text, with blanks anywhere between its parts and its
// numbers in wubble-render's ranges; any other text is no call.
TEST(ParseCallText, ReadsTheToolsOwnCallText) {
  struct Case {
    const char *text;
    bool is_call;
    CallText call;
  };
  const Case cases[] = {
      {"CreateWubble(9837320,0,5,1)", true, {9837320, 0, 5}},
      {" CreateWubble ( -12 ,\t3 , 100 , 7 ) ", true, {-12, 3, 100}},
      {"CreateWubble(+1,2,-3,0)\r\n", true, {1, 2, -3}},
      {"CreateWubble(4294967295,0,5,1)\n", true, {-1, 0, 5}},
      {"CreateWubble(-2147483648,1000000,-128,1)", true, {INT32_MIN, 1000000, -128}},
      {"CreateWubble(0000000000000000000007,0,127,99999999999999999999)", true, {7, 0, 127}},
      {"CreateWubble(4294967296,0,5,1)", false, {}},
      {"CreateWubble(18446744073709551617,0,5,1)", false, {}},
      {"CreateWubble(-2147483649,0,5,1)", false, {}},
      {"CreateWubble(1,-3,5,1)", false, {}},
      {"CreateWubble(1,1000001,5,1)", false, {}},
      {"CreateWubble(1,2147483647,5,1)", false, {}},
      {"CreateWubble(1,0,128,1)", false, {}},
      {"CreateWubble(1,0,-129,1)", false, {}},
      {"CreateWubble(0,0,0.5,1)", false, {}},
      {"CreateWubble(1,2,3)", false, {}},
      {"CreateWubble(1,2,3,4,5)", false, {}},
      {"CreateWubble(1,,3,4)", false, {}},
      {"CreateWubble(1,2,3,4);", false, {}},
      {"CreateWubble(1,2,3,4)\n\n", false, {}},
      {"Create Wubble(1,2,3,4)", false, {}},
      {"createwubble(1,2,3,4)", false, {}},
      {"CreateWubble(- 1,2,3,4)", false, {}},
      {"CreateWubble(1,2,3,4", false, {}},
      {"9837320", false, {}},
      {"", false, {}},
  };
  for (const Case &c : cases) {
    CallText call = {7, 7, 7};
    EXPECT_EQ(ParseCallText(c.text, &call), c.is_call) << c.text;
    if (!c.is_call) continue;
    EXPECT_EQ(call.seed, c.call.seed) << c.text;
    EXPECT_EQ(call.mutations, c.call.mutations) << c.text;
    EXPECT_EQ(call.volume, c.call.volume) << c.text;
  }
  EXPECT_FALSE(ParseCallText(nullptr, nullptr));
}

}  // namespace

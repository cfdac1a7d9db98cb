#include <gtest/gtest.h>

#include <vector>

#include "render_args.h"

namespace {

bool Parse(std::vector<const char *> words, RenderArgs *out) {
  words.insert(words.begin(), "wubble-render");
  return ParseRenderArgs(int(words.size()), words.data(), out);
}

TEST(RenderArgs, DefaultsAndFullForm) {
  RenderArgs a;
  ASSERT_TRUE(Parse({"42", "-o", "x.wav"}, &a));
  EXPECT_EQ(a.seed, 42);
  EXPECT_EQ(a.mutations, 0);
  EXPECT_EQ(a.volume, 5);
  EXPECT_EQ(a.output, "x.wav");
  EXPECT_FALSE(a.print_params);
  ASSERT_TRUE(Parse({"-o", "y.wav", "7", "3", "127"}, &a));
  EXPECT_EQ(a.seed, 7);
  EXPECT_EQ(a.mutations, 3);
  EXPECT_EQ(a.volume, 127);
  EXPECT_EQ(a.output, "y.wav");
}

TEST(RenderArgs, NegativeNumbersAreValues) {
  RenderArgs a;
  ASSERT_TRUE(Parse({"-1", "0", "-10", "-o", "x.wav"}, &a));
  EXPECT_EQ(a.seed, -1);
  EXPECT_EQ(a.volume, -10);
  ASSERT_TRUE(Parse({"4294967295", "-2147483648", "-128", "-o", "x.wav"}, &a));
  EXPECT_EQ(a.seed, -1);
  EXPECT_EQ(a.mutations, INT32_MIN);
  EXPECT_EQ(a.volume, -128);
  ASSERT_TRUE(Parse({"+2147483648", "--params"}, &a));
  EXPECT_EQ(a.seed, INT32_MIN);
  EXPECT_TRUE(a.print_params);
}

TEST(RenderArgs, MalformedCommandLinesAreRefused) {
  RenderArgs a;
  const std::vector<std::vector<const char *>> bad = {
      {},
      {"-o", "x.wav"},
      {"1"},
      {"1", "--params", "-o", "x.wav"},
      {"1", "2", "3", "--params"},
      {"1", "2", "3", "4", "-o", "x.wav"},
      {"1", "-o"},
      {"1", "-o", ""},
      {"1", "-o", "a.wav", "-o", "b.wav"},
      {"1", "--params", "--params"},
      {"4294967296", "--params"},
      {"-2147483649", "--params"},
      {"1", "2147483648", "--params"},
      {"1", "0", "128", "-o", "x.wav"},
      {"1", "0", "-129", "-o", "x.wav"},
      {"12ab", "--params"},
      {"", "--params"},
      {"-", "--params"},
      {" 1", "--params"},
      {"1", "--volume", "3", "-o", "x.wav"},
      {"99999999999999999999999", "--params"},
  };
  for (const auto &words : bad) {
    std::string line;
    for (const char *w : words) line += std::string("[") + w + "]";
    EXPECT_FALSE(Parse(words, &a)) << line;
  }
}

}  // namespace

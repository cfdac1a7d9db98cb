#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render_args.h"

namespace {

bool Parse(std::vector<const char *> words, RenderArgs *out, std::string *error) {
  words.insert(words.begin(), "wubble-render");
  return ParseRenderArgs(int(words.size()), words.data(), out, error);
}

std::string Joined(const std::vector<const char *> &words) {
  std::string line;
  for (const char *w : words) line += std::string("[") + w + "]";
  return line;
}

TEST(RenderArgs, AcceptedCommandLines) {
  struct Case {
    std::vector<const char *> words;
    RenderAction action;
    int32_t seed, mutations, volume;
    const char *output;
  };
  const Case cases[] = {
      {{"42", "-o", "x.wav"}, kWriteWav, 42, 0, 5, "x.wav"},
      {{"-o", "y.wav", "7", "3", "127"}, kWriteWav, 7, 3, 127, "y.wav"},
      {{"-1", "0", "-10", "-o", "x.wav"}, kWriteWav, -1, 0, -10, "x.wav"},
      {{"4294967295", "1000000", "-128", "-o", "-"}, kWriteWav, -1, 1000000, -128, "-"},
      {{"-2147483648", "+0", "-o", "-5"}, kWriteWav, INT32_MIN, 0, 5, "-5"},
      {{"+2147483648", "--params"}, kPrintParams, INT32_MIN, 0, 5, ""},
      {{"9", "12", "--params"}, kPrintParams, 9, 12, 5, ""},
      // --help and --version end the parse where they stand.
      {{"--help"}, kPrintHelp, 0, 0, 5, ""},
      {{"1", "-h", "--bogus"}, kPrintHelp, 1, 0, 5, ""},
      {{"--version", "1", "2", "3", "4"}, kPrintVersion, 0, 0, 5, ""},
      {{"1", "-o", "--help"}, kWriteWav, 1, 0, 5, "--help"},  // a name after -o
  };
  for (const Case &c : cases) {
    RenderArgs a;
    std::string error = "stale";
    bool accepted = Parse(c.words, &a, &error);
    ASSERT_TRUE(accepted) << Joined(c.words) << " " << error;
    EXPECT_EQ(error, "") << Joined(c.words);
    EXPECT_EQ(a.action, c.action) << Joined(c.words);
    EXPECT_EQ(a.seed, c.seed) << Joined(c.words);
    EXPECT_EQ(a.mutations, c.mutations) << Joined(c.words);
    EXPECT_EQ(a.volume, c.volume) << Joined(c.words);
    EXPECT_EQ(a.output, c.output) << Joined(c.words);
  }
}

TEST(RenderArgs, EachUsageErrorNamesItsArgument) {
  struct Case {
    std::vector<const char *> words;
    const char *message;
  };
  const Case cases[] = {
      {{}, "missing SEED"},
      {{"-o", "x.wav"}, "missing SEED"},
      {{"1"}, "missing -o FILE.wav or --params"},
      {{"1", "--params", "-o", "x.wav"}, "-o and --params exclude each other"},
      {{"1", "-o", "--help", "--params"}, "-o and --params exclude each other"},
      {{"1", "2", "3", "--params"}, "volume 3 has no use with --params"},
      {{"1", "2", "3", "4", "-o", "x.wav"}, "unexpected argument 4 (at most SEED MUTATIONS VOLUME)"},
      {{"1", "-o"}, "-o needs a file name (- for standard output)"},
      {{"1", "-o", ""}, "-o needs a file name (- for standard output)"},
      {{"1", "-o", "a.wav", "-o", "b.wav"}, "-o given twice: a.wav and b.wav"},
      {{"1", "--params", "--params"}, "--params given twice"},
      {{"4294967296", "--params"}, "seed 4294967296 is out of range -2147483648..4294967295"},
      {{"-2147483649", "--params"}, "seed -2147483649 is out of range -2147483648..4294967295"},
      {{"99999999999999999999999", "--params"},
       "seed 99999999999999999999999 is out of range -2147483648..4294967295"},
      {{"1", "1000001", "--params"}, "mutations 1000001 is out of range 0..1000000"},
      {{"1", "2147483648", "--params"}, "mutations 2147483648 is out of range 0..1000000"},
      {{"1", "-1", "--params"}, "mutations -1 is out of range 0..1000000"},
      {{"1", "0", "128", "-o", "x.wav"}, "volume 128 is out of range -128..127"},
      {{"1", "0", "-129", "-o", "x.wav"}, "volume -129 is out of range -128..127"},
      {{"12ab", "--params"}, "seed 12ab is not a whole number"},
      {{"", "--params"}, "seed  is not a whole number"},
      {{"-", "--params"}, "seed - is not a whole number"},
      {{" 1", "--params"}, "seed  1 is not a whole number"},
      {{"1", "2\n", "--params"}, "mutations 2? is not a whole number"},
      {{"1", "0", "1.5", "-o", "x.wav"}, "volume 1.5 is not a whole number"},
      {{"1", "--volume", "3", "-o", "x.wav"}, "unknown option --volume"},
      {{"1", "--foo", "--help"}, "unknown option --foo"},
      {{"-x", "--params"}, "unknown option -x"},
  };
  for (const Case &c : cases) {
    RenderArgs a;
    std::string error;
    EXPECT_FALSE(Parse(c.words, &a, &error)) << Joined(c.words);
    EXPECT_EQ(error, c.message) << Joined(c.words);
  }
}

}  // namespace

// Command line of wubble-render:
//   wubble-render SEED [MUTATIONS [VOLUME]] -o FILE.wav   (FILE.wav "-": standard output)
//   wubble-render SEED [MUTATIONS] --params
//   wubble-render --help | --version
#pragma once
#include <cstdint>
#include <string>

enum RenderAction { kWriteWav, kPrintParams, kPrintHelp, kPrintVersion };

struct RenderArgs {
  RenderAction action = kWriteWav;
  int32_t seed = 0;
  int32_t mutations = 0;
  int32_t volume = 5;  // as the app starts
  std::string output;  // only with kWriteWav; "-" is standard output
};

extern const char *const kRenderUsage;  // the text of --help, ending in a newline

// Parses argv[1..argc-1]. On a usage error returns false and sets `error` to
// one line naming the argument that was wrong, without the program's name
// or a newline; `out` is then unspecified. --help and --version end the
// parse where they stand, so arguments after them are not looked at.
bool ParseRenderArgs(int argc, const char *const *argv, RenderArgs *out, std::string *error);

// A decimal integer with an optional sign, entirely consumed, within
// [min, max]. Accepts no blanks, no empty digits.
bool ParseWholeNumber(const char *text, int64_t min, int64_t max, int64_t *out);

// Command line of wubble-render:
//   wubble-render SEED [MUTATIONS [VOLUME]] -o FILE.wav
//   wubble-render SEED [MUTATIONS] --params
#pragma once
#include <cstdint>
#include <string>

struct RenderArgs {
  int32_t seed = 0;
  int32_t mutations = 0;
  int32_t volume = 5;  // as the app starts
  bool print_params = false;
  std::string output;  // empty with print_params
};

extern const char *const kRenderUsage;

// Parses argv[1..argc-1]. Returns false on any malformed or missing
// argument; `out` is then unspecified.
bool ParseRenderArgs(int argc, const char *const *argv, RenderArgs *out);

// A decimal integer with an optional sign, entirely consumed, within
// [min, max]. Accepts no blanks, no empty digits.
bool ParseWholeNumber(const char *text, int64_t min, int64_t max, int64_t *out);

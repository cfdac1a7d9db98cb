#include "render_args.h"

#include <cstring>

const char *const kRenderUsage =
    "usage: wubble-render SEED [MUTATIONS [VOLUME]] -o FILE.wav | "
    "wubble-render SEED [MUTATIONS] --params";

bool ParseWholeNumber(const char *text, int64_t min, int64_t max, int64_t *out) {
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') text++;
  if (*text == '\0') return false;
  int64_t magnitude = 0;
  for (; *text; text++) {
    if (*text < '0' || *text > '9') return false;
    magnitude = magnitude * 10 + (*text - '0');
    if (magnitude > (int64_t(1) << 40)) return false;  // far beyond any range here
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value < min || value > max) return false;
  *out = value;
  return true;
}

// Seeds are 32-bit patterns: -1 and 4294967295 name the same seed.
static bool ParsePositional(int index, const char *text, RenderArgs *out) {
  int64_t value;
  switch (index) {
    case 0:
      if (!ParseWholeNumber(text, INT32_MIN, UINT32_MAX, &value)) return false;
      out->seed = int32_t(uint32_t(value));
      return true;
    case 1:
      if (!ParseWholeNumber(text, INT32_MIN, INT32_MAX, &value)) return false;
      out->mutations = int32_t(value);
      return true;
    case 2:
      if (!ParseWholeNumber(text, -128, 127, &value)) return false;
      out->volume = int32_t(value);
      return true;
    default:
      return false;
  }
}

bool ParseRenderArgs(int argc, const char *const *argv, RenderArgs *out) {
  *out = RenderArgs{};
  int positionals = 0;
  bool has_output = false;
  for (int i = 1; i < argc; i++) {
    const char *arg = argv[i];
    if (std::strcmp(arg, "-o") == 0) {
      if (has_output || i + 1 >= argc || argv[i + 1][0] == '\0') return false;
      out->output = argv[++i];
      has_output = true;
    } else if (std::strcmp(arg, "--params") == 0) {
      if (out->print_params) return false;
      out->print_params = true;
    } else if (!ParsePositional(positionals++, arg, out)) {
      return false;  // also catches unknown options, which are not numbers
    }
  }
  if (positionals == 0 || has_output == out->print_params) return false;
  return !(out->print_params && positionals > 2);
}

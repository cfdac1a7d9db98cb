#include "render_args.h"

#include <cstring>

#include "shown_text.h"
#include "typed_ranges.h"

const char *const kRenderUsage =
    "usage: wubble-render SEED [MUTATIONS [VOLUME]] -o FILE.wav\n"
    "       wubble-render SEED [MUTATIONS] --params\n"
    "       wubble-render --batch LIST -d DIR [-j N]\n"
    "       wubble-render --help | --version\n"
    "\n"
    "Writes the WAV file of the sound that SEED, MUTATIONS and VOLUME make,\n"
    "rendered as the first sound of a run, or prints its parameters.\n"
    "\n"
    "  SEED        -2147483648..4294967295; -1 and 4294967295 are the same seed\n"
    "  MUTATIONS   rounds of mutation, 0..1000000 (default 0)\n"
    "  VOLUME      -128..127 (default 5); a negative volume inverts the wave\n"
    "  -o FILE     write the WAV file to FILE; - writes it to standard output\n"
    "  --params    print the parameters, one \"name value\" line each\n"
    "  --help      print this help and exit\n"
    "  --version   print the version and exit\n"
    "  --batch     write one file a line of LIST (a file, or - for standard\n"
    "              input): SEED [MUTATIONS [VOLUME]] [NAME] gives DIR/NAME.wav,\n"
    "              by default DIR/SEED_MUTATIONS_VOLUME.wav, on N threads\n"
    "              (1..64; default: one a processor, at most 64). Lines end at\n"
    "              LF, CRLF or CR and hold at most 4096 bytes; blank lines and\n"
    "              lines starting with # are skipped. A bad line is reported\n"
    "              by its number and skipped, and the exit status is then 1\n"
    "\n"
    "Exit status: 0 done, 1 the output could not be written, 2 a usage error.\n";

// An optional sign and at least one digit, nothing else.
static bool IsWholeNumberText(const char *text) {
  if (*text == '-' || *text == '+') text++;
  if (*text == '\0') return false;
  for (; *text; text++) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

bool ParseWholeNumber(const char *text, int64_t min, int64_t max, int64_t *out) {
  if (!IsWholeNumberText(text)) return false;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') text++;
  int64_t magnitude = 0;
  for (; *text; text++) {
    magnitude = magnitude * 10 + (*text - '0');
    if (magnitude > (int64_t(1) << 40)) return false;  // far beyond any range here
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value < min || value > max) return false;
  *out = value;
  return true;
}

static std::string Shown(const char *text) { return ShownText(text, kLongShown); }

static const TypedRange kNumberFields[] = {kSeedRange, kMutationsRange, kVolumeRange};

static bool ParseNumberField(int index, const char *text, RenderArgs *out, std::string *error) {
  if (index >= 3) {
    *error = "unexpected argument " + Shown(text) + " (at most SEED MUTATIONS VOLUME)";
    return false;
  }
  const TypedRange &field = kNumberFields[index];
  int64_t value;
  if (!ParseWholeNumber(text, field.lowest, field.highest, &value)) {
    *error = std::string(field.name) + " " + Shown(text) +
             (IsWholeNumberText(text) ? " is out of range " + std::to_string(field.lowest) + ".." +
                                            std::to_string(field.highest)
                                      : std::string(" is not a whole number"));
    return false;
  }
  int32_t *targets[] = {&out->seed, &out->mutations, &out->volume};
  *targets[index] = TypedValue(value);
  return true;
}

// "-" alone is not an option, and "-5" is a number.
static bool LooksLikeOption(const char *arg) {
  return arg[0] == '-' && arg[1] != '\0' && !(arg[1] >= '0' && arg[1] <= '9');
}

bool ParseRenderArgs(int argc, const char *const *argv, RenderArgs *out, std::string *error) {
  *out = RenderArgs{};
  error->clear();
  int numbers = 0;
  const char *volume_text = nullptr;
  bool has_output = false, has_params = false;
  for (int i = 1; i < argc; i++) {
    const char *arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      out->action = kPrintHelp;
      return true;
    } else if (std::strcmp(arg, "--version") == 0) {
      out->action = kPrintVersion;
      return true;
    } else if (std::strcmp(arg, "-o") == 0) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        *error = "-o needs a file name (- for standard output)";
        return false;
      }
      if (has_output) {
        *error = "-o given twice: " + Shown(out->output.c_str()) + " and " + Shown(argv[i + 1]);
        return false;
      }
      out->output = argv[++i];
      has_output = true;
    } else if (std::strcmp(arg, "--params") == 0) {
      if (has_params) {
        *error = "--params given twice";
        return false;
      }
      has_params = true;
    } else if (LooksLikeOption(arg)) {
      *error = "unknown option " + Shown(arg);
      return false;
    } else {
      if (!ParseNumberField(numbers, arg, out, error)) return false;
      if (numbers++ == 2) volume_text = arg;
    }
  }
  if (numbers == 0) {
    *error = "missing SEED";
  } else if (has_output && has_params) {
    *error = "-o and --params exclude each other";
  } else if (!has_output && !has_params) {
    *error = "missing -o FILE.wav or --params";
  } else if (has_params && volume_text) {
    *error = "volume " + Shown(volume_text) + " has no use with --params";
  }
  if (!error->empty()) return false;
  out->action = has_params ? kPrintParams : kWriteWav;
  return true;
}

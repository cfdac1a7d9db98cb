// Any bytes as the command line of wubble-render: arguments separated by NUL
// bytes. ParseRenderArgs must never read past its arguments, and what it
// accepts must be a well-formed command whose numbers are the ones the
// standard library reads from the same texts; what it refuses gets a message
// of one line. ParseWholeNumber is held to the same reader on every
// argument, with bounds taken from the input.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "render_args.h"
#include "typed_ranges.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// An optional sign and at least one digit, nothing else; the value read by
// strtoll, which fails on overflow.
bool ModelWholeNumber(const std::string &text, int64_t min, int64_t max, int64_t *out) {
  size_t at = text[0] == '-' || text[0] == '+' ? 1 : 0;
  if (at == text.size()) return false;
  for (size_t i = at; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  errno = 0;
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || value < min || value > max) return false;
  *out = value;
  return true;
}

bool IsNumber(const std::string &text) {
  int64_t ignored;
  return ModelWholeNumber(text, INT64_MIN, INT64_MAX, &ignored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 4) return 0;
  // Bounds within 33 bits either way, the widest any caller uses.
  int64_t a = int64_t(int16_t(data[0] | data[1] << 8)) * 262144;
  int64_t b = int64_t(int16_t(data[2] | data[3] << 8)) * 262144;
  int64_t min = a < b ? a : b, max = a < b ? b : a;

  // Each argument in a heap block of its own size, so a read past one shows.
  std::vector<std::string> texts;
  std::string current;
  for (size_t i = 4; i < size && texts.size() < 8; ++i) {
    if (data[i] == 0) {
      texts.push_back(current);
      current.clear();
    } else {
      current.push_back(char(data[i]));
    }
  }
  if (texts.size() < 8) texts.push_back(current);
  std::vector<char *> argv = {nullptr};
  for (const std::string &t : texts) {
    char *copy = static_cast<char *>(std::malloc(t.size() + 1));
    std::memcpy(copy, t.c_str(), t.size() + 1);
    argv.push_back(copy);
  }
  argv[0] = strdup("wubble-render");

  for (const std::string &t : texts) {
    int64_t ours = 0, model = 0;
    bool accepted = ParseWholeNumber(t.c_str(), min, max, &ours);
    Check(accepted == ModelWholeNumber(t, min, max, &model));
    if (accepted) Check(ours == model);
  }

  RenderArgs args;
  std::string error;
  if (!ParseRenderArgs(int(argv.size()), argv.data(), &args, &error)) {
    Check(!error.empty());
    for (char ch : error) Check(static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7f);
  } else {
    Check(error.empty());
    std::vector<std::string> numbers;
    int outputs = 0, params = 0;
    RenderAction stop = kWriteWav;  // kPrintHelp or kPrintVersion where one ends the parse
    for (size_t i = 0; i < texts.size() && stop == kWriteWav; ++i) {
      if (texts[i] == "--help" || texts[i] == "-h") {
        stop = kPrintHelp;
      } else if (texts[i] == "--version") {
        stop = kPrintVersion;
      } else if (texts[i] == "-o" && i + 1 < texts.size()) {
        Check(args.output == texts[++i]);
        ++outputs;
      } else if (texts[i] == "--params") {
        ++params;
      } else {
        Check(IsNumber(texts[i]));
        numbers.push_back(texts[i]);
      }
    }
    if (stop != kWriteWav) {
      Check(args.action == stop);
    } else {
      Check(outputs + params == 1 && (args.action == kPrintParams) == (params == 1));
      Check(args.action == kPrintParams || args.action == kWriteWav);
      Check(args.action == kWriteWav ? !args.output.empty() : args.output.empty());
      Check(!numbers.empty() && numbers.size() <= (params ? 2u : 3u));
      int64_t value;
      Check(ModelWholeNumber(numbers[0], INT32_MIN, UINT32_MAX, &value) &&
            args.seed == int32_t(uint32_t(value)));
      if (numbers.size() > 1) {
        Check(ModelWholeNumber(numbers[1], 0, kMutationsRange.highest, &value) &&
              args.mutations == value);
      } else {
        Check(args.mutations == 0);
      }
      if (numbers.size() > 2) {
        Check(ModelWholeNumber(numbers[2], -128, 127, &value) && args.volume == value);
      } else {
        Check(args.volume == 5);
      }
    }
  }
  for (char *arg : argv) std::free(arg);
  return 0;
}

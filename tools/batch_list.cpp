// The lines of a batch list.
#include <cstring>
#include <vector>

#include "batch.h"

namespace {

bool LooksLikeNumber(const std::string &token) {
  size_t digit = token[0] == '-' || token[0] == '+' ? 1 : 0;
  return digit < token.size() && token[digit] >= '0' && token[digit] <= '9';
}

// A decimal integer with an optional sign, the whole token, within [min, max].
bool ParseNumber(const std::string &token, int64_t min, int64_t max, int64_t *out) {
  size_t at = token[0] == '-' || token[0] == '+' ? 1 : 0;
  if (at == token.size()) return false;
  int64_t magnitude = 0;
  for (; at < token.size(); at++) {
    if (token[at] < '0' || token[at] > '9') return false;
    magnitude = magnitude * 10 + (token[at] - '0');
    if (magnitude > (int64_t(1) << 40)) return false;  // far beyond any range here
  }
  int64_t value = token[0] == '-' ? -magnitude : magnitude;
  if (value < min || value > max) return false;
  *out = value;
  return true;
}

struct NumberField {
  const char *name;
  int64_t min, max;
};

// Seeds are 32-bit patterns: -1 and 4294967295 name the same seed.
const NumberField kFields[] = {
    {"SEED", INT32_MIN, UINT32_MAX},
    {"MUTATIONS", INT32_MIN, INT32_MAX},
    {"VOLUME", -128, 127},
};

std::vector<std::string> Tokens(const std::string &text) {
  std::vector<std::string> tokens;
  size_t at = 0;
  for (;;) {
    at = text.find_first_not_of(" \t\r", at);
    if (at == std::string::npos) return tokens;
    size_t end = text.find_first_of(" \t\r", at);
    if (end == std::string::npos) end = text.size();
    tokens.push_back(text.substr(at, end - at));
    at = end;
  }
}

// Room for ".wav" and the longest name most file systems take.
constexpr size_t kLongestName = 250;

bool CheckName(const std::string &name, std::string *error) {
  if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) {
    *error = "NAME \"" + name + "\" is not a plain file name (no / allowed)";
    return false;
  }
  if (name.size() > kLongestName) {
    *error = "NAME is longer than " + std::to_string(kLongestName) + " bytes";
    return false;
  }
  return true;
}

}  // namespace

BatchLineKind ParseBatchLine(const std::string &text, BatchSound *out, std::string *error) {
  std::vector<std::string> tokens = Tokens(text);
  if (tokens.empty()) return kBlankLine;
  BatchSound sound;
  sound.line = out->line;
  int32_t *const numbers[] = {&sound.seed, &sound.mutations, &sound.volume};
  size_t count = 0;  // numbers read
  size_t at = 0;
  for (; at < tokens.size() && count < 3 && LooksLikeNumber(tokens[at]); at++, count++) {
    const NumberField &field = kFields[count];
    int64_t value;
    if (!ParseNumber(tokens[at], field.min, field.max, &value)) {
      *error = std::string(field.name) + " \"" + tokens[at] + "\" is not a whole number from " +
               std::to_string(field.min) + " to " + std::to_string(field.max);
      return kBadLine;
    }
    *numbers[count] = int32_t(uint32_t(uint64_t(value)));
  }
  if (count == 0) {
    *error = "SEED \"" + tokens[0] + "\" is not a number";
    return kBadLine;
  }
  if (at < tokens.size()) {
    if (!CheckName(tokens[at], error)) return kBadLine;
    sound.name = tokens[at++];
  } else {
    sound.name = std::to_string(sound.seed) + "_" + std::to_string(sound.mutations) + "_" +
                 std::to_string(sound.volume);
  }
  if (at < tokens.size()) {
    *error = "\"" + tokens[at] + "\" after the name; a line is SEED [MUTATIONS [VOLUME]] [NAME]";
    return kBadLine;
  }
  *out = sound;
  return kSoundLine;
}

#include "number_text.h"

#include <cstring>

#include "typed_ranges.h"

int32_t ParseInt(const char *text) {
  if (text == nullptr) return 0;
  while (*text == ' ' || *text == '\t') ++text;
  bool negative = false;
  if (*text == '-') {
    negative = true;
    ++text;
  } else if (*text == '+') {
    ++text;
  }
  // Unsigned arithmetic: the wrap-around on too many digits is intended.
  uint32_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10u + static_cast<uint32_t>(*text - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

NumberText FormatInt(int32_t value) {
  NumberText out = {};
  if (value == INT32_MIN) {
    // Its magnitude has no positive 32-bit form.
    std::strcpy(out.text, "-2147483648");
    return out;
  }
  char reversed[11];
  int count = 0;
  int32_t magnitude = value < 0 ? -value : value;
  do {
    reversed[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  int at = 0;
  if (value < 0) out.text[at++] = '-';
  while (count > 0) out.text[at++] = reversed[--count];
  return out;
}

namespace {

void SkipBlanks(const char **at) {
  while (**at == ' ' || **at == '\t') ++*at;
}

bool Take(const char **at, const char *word) {
  SkipBlanks(at);
  size_t length = std::strlen(word);
  if (std::strncmp(*at, word, length) != 0) return false;
  *at += length;
  return true;
}

// A sign and one digit at least. The magnitude stops growing once it is
// past every range, so that no count of digits wraps it back into one.
bool TakeNumber(const char **at, int64_t *value) {
  SkipBlanks(at);
  const char *digits = *at;
  bool negative = *digits == '-';
  if (*digits == '-' || *digits == '+') ++digits;
  if (*digits < '0' || *digits > '9') return false;
  const int64_t beyond = int64_t(1) << 40;
  int64_t magnitude = 0;
  for (; *digits >= '0' && *digits <= '9'; ++digits) {
    if (magnitude < beyond) magnitude = magnitude * 10 + (*digits - '0');
  }
  *value = negative ? -magnitude : magnitude;
  *at = digits;
  return true;
}

}  // namespace

bool ParseCallText(const char *text, CallText *call) {
  if (text == nullptr) return false;
  const char *at = text;
  int64_t seed, mutations, volume, slot;
  if (!Take(&at, "CreateWubble") || !Take(&at, "(") || !TakeNumber(&at, &seed) ||
      !Take(&at, ",") || !TakeNumber(&at, &mutations) || !Take(&at, ",") ||
      !TakeNumber(&at, &volume) || !Take(&at, ",") || !TakeNumber(&at, &slot) ||
      !Take(&at, ")")) {
    return false;
  }
  SkipBlanks(&at);
  // A line copied whole brings its end with it.
  if (*at == '\r') ++at;
  if (*at == '\n') ++at;
  if (*at != '\0') return false;
  if (!InTypedRange(kSeedRange, seed) || !InTypedRange(kMutationsRange, mutations) ||
      !InTypedRange(kVolumeRange, volume)) {
    return false;
  }
  *call = CallText{TypedValue(seed), TypedValue(mutations), TypedValue(volume)};
  return true;
}

// Conversions between a seed and the text of the seed field, and the
// reading of the tool's own call text.
#pragma once
#include <cstdint>

// Longest text: a sign and ten digits.
struct NumberText {
  char text[12];
};

// Leading blanks, an optional sign, then digits up to the first non-digit;
// every digit wraps in 32 bits, so any text at all gives a number.
int32_t ParseInt(const char *text);

NumberText FormatInt(int32_t value);

// The three values of a call text.
struct CallText {
  int32_t seed;
  int32_t mutations;
  int32_t volume;
};

// True when `text` is the call text "CreateWubble(SEED,MUTATIONS,VOLUME,SLOT)"
// with blanks and tabs allowed around every part and a line end after it:
// each number an optional sign and at least one digit, SEED, MUTATIONS and
// VOLUME within the ranges wubble-render takes (typed_ranges.h), never
// wrapped. The slot may be any number; it is not returned.
bool ParseCallText(const char *text, CallText *call);

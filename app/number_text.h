// Conversions between a seed and the text of the seed field.
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

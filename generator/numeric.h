// Arithmetic helpers shared by parameter generation and synthesis. The
// generator evaluates every expression in double and rounds once to the width
// of the destination; these helpers are the only conversions it uses.
#pragma once
#include <cstdint>

float PowSingle(float base, float exponent);
double PowDouble(double base, double exponent);

// Conversions to a signed 32-bit integer. A NaN or a value with no 32-bit
// answer gives INT32_MIN, as the hardware conversion of the original platform
// does; a plain C++ cast of such a value would be undefined behaviour.
int32_t TruncToInt(double x);
int32_t RoundToInt(double x);  // nearest, halves to even

#include "numeric.h"

#include <cmath>

// Small integral exponents are multiplied out in double: a square of a
// single-precision base is exact, and its cube is rounded once, so both are
// correctly rounded on every platform, which no libm promises for pow.
static bool IsSmallWholeExponent(double exponent) {
  return exponent >= 1.0 && exponent <= 8.0 && exponent == std::floor(exponent);
}

double PowDouble(double base, double exponent) {
  if (!IsSmallWholeExponent(exponent)) return std::pow(base, exponent);
  double result = base;
  for (int i = 1; i < int(exponent); i++) result = result * base;
  return result;
}

float PowSingle(float base, float exponent) {
  return float(PowDouble(base, exponent));
}

int32_t TruncToInt(double x) {
  // Compare with the open interval (-2^31 - 1, 2^31); NaN fails both tests.
  if (!(x > -2147483649.0 && x < 2147483648.0)) return INT32_MIN;
  return int32_t(x);
}

int32_t RoundToInt(double x) {
  double r = std::nearbyint(x);  // default rounding mode: halves to even
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return INT32_MIN;
  return int32_t(r);
}

#include "numeric.h"

#include <cmath>

namespace wubble {

// Small integral exponents are multiplied out in double: a square of a
// single-precision base is exact, and its cube is rounded once, so both are
// correctly rounded on every platform, which no libm promises for pow.
static bool IsSmallWholeExponent(double exponent) {
  return exponent >= 1.0 && exponent <= 8.0 && exponent == std::floor(exponent);
}

double PowDoubleGeneral(double base, double exponent) {
  if (!IsSmallWholeExponent(exponent)) return std::pow(base, exponent);
  double result = base;
  for (int i = 1; i < int(exponent); i++) result = result * base;
  return result;
}

}  // namespace wubble

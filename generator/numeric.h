// Arithmetic helpers shared by parameter generation and synthesis. The
// generator evaluates every expression in double and rounds once to the width
// of the destination; these helpers are the only conversions it uses. They
// are inline because the synthesis calls them for every sample.
#pragma once
#include <cmath>
#include <cstdint>

namespace wubble {

// Any exponent; the inline PowDouble below covers the common ones.
double PowDoubleGeneral(double base, double exponent);

// The generator's powers are mostly 1, 2 and 3, and the envelope takes one
// every sample; these give what PowDoubleGeneral gives, without the call.
inline double PowDouble(double base, double exponent) {
  if (exponent == 1.0) return base;
  if (exponent == 2.0) return base * base;
  if (exponent == 3.0) return base * base * base;
  return PowDoubleGeneral(base, exponent);
}

inline float PowSingle(float base, float exponent) {
  return float(PowDouble(base, exponent));
}

// Conversions to a signed 32-bit integer. A NaN or a value with no 32-bit
// answer gives INT32_MIN, as the hardware conversion of the original platform
// does; a plain C++ cast of such a value would be undefined behaviour.
inline int32_t TruncToInt(double x) {
  // Compare with the open interval (-2^31 - 1, 2^31); NaN fails both tests.
  if (!(x > -2147483649.0 && x < 2147483648.0)) return INT32_MIN;
  return int32_t(x);
}

// Nearest integer, halves to even.
inline int32_t RoundToInt(double x) {
#if defined(__SSE2__) && defined(__GNUC__)
  // The hardware conversion rounds as the rounding mode says, which the
  // generator leaves at its default, to nearest with halves to even, and
  // gives INT32_MIN (its "integer indefinite") for NaN and out-of-range
  // values. In asm: a compiler folding it for a constant need not.
  int32_t result;
  __asm__("cvtsd2si %1, %0" : "=r"(result) : "x"(x));
  return result;
#else
  // Rounds as the mode says, which is to nearest with halves to even; one
  // instruction on most targets (WebAssembly's f64.nearest among them).
  double rounded = std::nearbyint(x);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return INT32_MIN;
  return int32_t(rounded);
#endif
}

}  // namespace wubble

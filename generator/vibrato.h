// The vibrato's period: RoundToInt(float(period * (1 + sin(phase) * amp))),
// with a sine of its own in place of libm's wherever that provably gives the
// same integer. libm's sine is the costliest step of a sample, and only the
// integer period it leads to is ever used.
//
// NearSine is within kNearSineError of the true sine, and so of any libm
// sine, which is within an ulp of it. The period is worked out for the
// sines kNearSineError below and above; every step from the sine to the
// integer is monotonic, so when both give the same integer, every sine
// between them does too, libm's among them. Otherwise libm decides.
#pragma once
#include <cmath>
#include <cstdint>

#include "numeric.h"

namespace wubble {

// Phases beyond this go to libm, which reduces them more carefully.
constexpr double kNearSineRange = 1048576.0;  // 2^20
// The bound the period's test allows for, 2.3e-10. NearSine's own error is
// below 1e-11: the reduction loses under 1e-16 for |x| <= 2^20, the first
// term left out of each series is below 7.1e-12 for |r| <= pi / 4, and
// rounding adds a few units of 2^-53. The wider the bound, the more often
// libm decides, which is about 2 * kNearSineError * period * amp of the
// samples.
constexpr double kNearSineError = 0x1p-32;

// sin(x) for |x| <= kNearSineRange, within kNearSineError.
inline double NearSine(double x) {
  // x = k * pi / 2 + r with k the nearest integer to x * 2 / pi, so that
  // |r| is about pi / 4 at most. Adding 1.5 * 2^52 rounds to an integer.
  const double kShift = 6755399441055744.0;
  double k = (x * 0.63661977236758134308 + kShift) - kShift;
  // pi / 2 in two parts; the first has 33 bits, so k times it is exact for
  // |k| < 2^20, and so is the first subtraction.
  double r = (x - k * 1.57079632673412561417e+00) - k * 6.07710050650619224932e-11;
  double r2 = r * r;
  int32_t quadrant = int32_t(k) & 3;
  double value;
  if (quadrant & 1) {
    // cos r: Taylor terms to r^12.
    value = 1.0 + r2 * (-1.0 / 2 + r2 * (1.0 / 24 + r2 * (-1.0 / 720 + r2 * (1.0 / 40320 +
                r2 * (-1.0 / 3628800 + r2 * (1.0 / 479001600))))));
  } else {
    // sin r: Taylor terms to r^11.
    value = r + r * r2 * (-1.0 / 6 + r2 * (1.0 / 120 + r2 * (-1.0 / 5040 + r2 * (1.0 / 362880 +
                r2 * (-1.0 / 39916800)))));
  }
  return quadrant & 2 ? -value : value;
}

// The period of a vibrato sample as the plain expression gives it with
// `sine` for sin(phase).
inline int32_t VibratoPeriodWith(double period, double sine, float amp) {
  return RoundToInt(float(period * (1.0f + sine * amp)));
}

// amp > 0.
inline int32_t VibratoPeriod(double period, float phase, float amp) {
  double x = phase;
  // A shallow vibrato often cannot move the period to another integer at
  // all; then no sine is needed, as long as there is one (an infinite
  // phase has none). INT32_MIN also stands for NaN and values out of range,
  // where the conversion is not monotonic.
  if (std::isfinite(x)) {
    int32_t lowest = VibratoPeriodWith(period, -1.0, amp);
    if (lowest == VibratoPeriodWith(period, 1.0, amp) && lowest != INT32_MIN) return lowest;
  }
  if (std::fabs(x) <= kNearSineRange) {
    double sine = NearSine(x);
    int32_t low = VibratoPeriodWith(period, sine - kNearSineError, amp);
    int32_t high = VibratoPeriodWith(period, sine + kNearSineError, amp);
    if (low == high && low != INT32_MIN) return low;
  }
  return VibratoPeriodWith(period, std::sin(x), amp);
}

}  // namespace wubble

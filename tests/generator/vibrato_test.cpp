// The vibrato's own sine and the period it leads to, against libm's sine and
// the plain expression.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "vibrato.h"

using namespace wubble;

namespace {

int32_t PlainPeriod(double period, float phase, float amp) {
  return RoundToInt(float(period * (1.0f + std::sin(double(phase)) * amp)));
}

TEST(Vibrato, NearSineIsFarInsideItsBound) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> wide(-float(kNearSineRange), float(kNearSineRange));
  std::uniform_real_distribution<float> near(-20.0f, 20.0f);
  double worst = 0.0;
  auto check = [&](float phase) {
    double x = phase;
    worst = std::fmax(worst, std::fabs(NearSine(x) - std::sin(x)));
  };
  for (int i = 0; i < 1000000; i++) check(near(rng));
  for (int i = 0; i < 1000000; i++) check(wide(rng));
  // Either side of every quadrant boundary up to 4000, where the reduction
  // switches between the two series.
  for (int k = -2546; k <= 2546; k++) {
    float boundary = float(k * 0.78539816339744830962);
    check(boundary);
    check(std::nextafter(boundary, -1e9f));
    check(std::nextafter(boundary, 1e9f));
  }
  for (float phase : {0.0f, -0.0f, 1e-30f, 1.5707964f, 3.1415927f, 1048576.0f, -1048576.0f}) check(phase);
  EXPECT_LT(worst, kNearSineError / 16) << worst;
}

TEST(Vibrato, PeriodIsThePlainOne) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int i = 0; i < 2000000; i++) {
    // Periods as the pitch gives them, vibrato depths up to the largest a
    // sound can have, half of them shallow, and phases as far as a sound's
    // vibrato can run.
    double period = 100.0 / (std::pow(double(unit(rng)), 2.0) + 0.001);
    float amp = i % 2 ? unit(rng) * 0.5f + 1e-6f : float(1e-7 * std::pow(10.0, 4.0 * unit(rng)));
    float phase = unit(rng) * 1300.0f;
    ASSERT_EQ(VibratoPeriod(period, phase, amp), PlainPeriod(period, phase, amp))
        << period << " " << phase << " " << amp;
  }
}

TEST(Vibrato, PeriodNextToARoundingBoundaryIsThePlainOne) {
  // Periods chosen so that the product lands next to where its rounding to
  // single decides between two integers: halfway between a half and the
  // single beside it. There the two bounds disagree and libm's sine decides.
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  int undecided = 0;
  for (int i = 0; i < 200000; i++) {
    float phase = unit(rng) * 1300.0f;
    float amp = i % 2 ? unit(rng) * 0.5f + 1e-6f : float(1e-7 * std::pow(10.0, 4.0 * unit(rng)));
    double factor = 1.0f + std::sin(double(phase)) * amp;
    float half = std::floor(unit(rng) * 5000.0f) + 0.5f;
    float beside = std::nextafter(half, i % 2 ? 1e9f : -1e9f);
    double period = (double(half) + beside) / 2 / factor;
    for (int step = -3; step <= 3; step++) {
      double p = period + step * std::ldexp(period, -52);
      double sine = NearSine(phase);
      if (VibratoPeriodWith(p, sine - kNearSineError, amp) != VibratoPeriodWith(p, sine + kNearSineError, amp))
        undecided++;
      ASSERT_EQ(VibratoPeriod(p, phase, amp), PlainPeriod(p, phase, amp)) << p << " " << phase << " " << amp;
    }
  }
  EXPECT_GT(undecided, 1000);  // the cases that go to libm were reached
}

TEST(Vibrato, UnusualValuesGoToLibm) {
  const double inf = std::numeric_limits<double>::infinity();
  const float finf = std::numeric_limits<float>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double period : {nan, inf, -inf, 3e9, -3e9, 2147483647.0, -2147483648.0, 1e300, 0.0, -5.0, 1e-300})
    for (float phase : {0.5f, 2e6f, -2e6f, 3e38f, finf, -finf, float(nan)})
      for (float amp : {1e-7f, 0.25f, 1e30f, finf})
        ASSERT_EQ(VibratoPeriod(period, phase, amp), PlainPeriod(period, phase, amp))
            << period << " " << phase << " " << amp;
}

}  // namespace

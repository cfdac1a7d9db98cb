// The sines the oscillator keeps, against the plain expression.
#include <gtest/gtest.h>

#include <cmath>

#include "oscillator.h"
#include "test_generator.h"

using namespace wubble;

namespace {

TEST(Oscillator, KeptSinesAreThePlainOnes) {
  WubbleGenerator &g = FreshGenerator();
  // Periods inside the cache and beyond it, and a return to a period seen
  // before, whose kept sines must not be taken for the new ones.
  for (int32_t period : {8, 1000, 999, 1000, kSineCacheSize - 1, kSineCacheSize, kSineCacheSize + 1, 100000}) {
    ChooseSinePeriod(g.sine, period);
    for (int32_t phase : {0, 1, period / 4, period / 3, period / 2, period - 1}) {
      float plain = float(std::sin(double(Fraction(phase, period)) * 2.0f * 3.1415927f));
      ASSERT_EQ(SineAt(g.sine, phase, period), plain) << period << " " << phase;
      ASSERT_EQ(SineAt(g.sine, phase, period), plain) << period << " " << phase << " kept";
    }
  }
}

}  // namespace

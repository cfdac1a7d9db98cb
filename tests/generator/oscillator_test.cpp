// The shortcuts the render takes for the oscillator and the output scaling,
// each against the plain expression it stands for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "numeric.h"
#include "oscillator.h"
#include "synth.h"
#include "wav_image.h"

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The square's value as the rules state it: fraction below duty or not.
void ExpectEdgeSplitsThePhases(int32_t period, float duty) {
  int32_t edge = SquareEdge(period, duty);
  ASSERT_GE(edge, 0);
  ASSERT_LE(edge, period);
  if (period <= 5000) {
    for (int32_t phase = 0; phase < period; phase++)
      ASSERT_EQ(phase < edge, Fraction(phase, period) < duty) << period << " " << duty << " " << phase;
    return;
  }
  // Long periods: the fraction grows with the phase, so the two phases
  // either side of the edge decide it.
  if (edge > 0) {
    EXPECT_TRUE(Fraction(edge - 1, period) < duty) << period << " " << duty;
  }
  if (edge < period) {
    EXPECT_FALSE(Fraction(edge, period) < duty) << period << " " << duty;
  }
}

TEST(Oscillator, SquareEdgeSplitsThePhasesAsTheFractionDoes) {
  const float duties[] = {0.0f, -0.0f, 1e-30f, 1e-7f, 0.1f, 0.25f, 1.0f / 3.0f,
                          0.4999999f, 0.5f, 0.3000001f, std::nanf("")};
  for (float duty : duties) {
    for (int32_t period = 8; period <= 3000; period++) ExpectEdgeSplitsThePhases(period, duty);
    for (int32_t period : {4999, 65536, 100003, (1 << 24) - 1, (1 << 24), (1 << 24) + 7, 1 << 30, INT32_MAX})
      ExpectEdgeSplitsThePhases(period, duty);
  }
  // Every duty the sweep can leave, on a few periods.
  std::mt19937 random(7);
  std::uniform_real_distribution<float> any_duty(0.0f, 0.5f);
  for (int i = 0; i < 2000; i++) ExpectEdgeSplitsThePhases(8 + int32_t(random() % 4000), any_duty(random));
}

TEST(Oscillator, StepsGiveThePlainValues) {
  // A run of one sample, compared step by step with the plain expressions,
  // over periods where the wrap falls inside the sample and where the
  // conversions change precision.
  for (int32_t period : {8, 9, 13, 100, 4097, (1 << 24) - 1, (1 << 24) + 3, (1 << 27) + 5}) {
    for (int32_t start : {0, 1, 5, period - 9, period - 1, period + 3}) {
      if (start < 0) continue;
      OscillatorRun saw{start, period, 0.3f, 0, float(period)};
      OscillatorRun square{start, period, 0.3f, SquareEdge(period, 0.3f), float(period)};
      int32_t phase = start;
      for (int pass = 0; pass < 9; pass++) {
        phase += 1;
        if (phase >= period) phase %= period;
        double plain_saw = float(1.0f - double(Fraction(phase, period)) * 2.0f);
        double plain_square = Fraction(phase, period) < 0.3f ? 0.5 : -0.5;
        ASSERT_TRUE(SameBits(StepOscillator<1>(default_generator, saw), plain_saw)) << period << " " << phase;
        ASSERT_TRUE(SameBits(StepOscillator<0>(default_generator, square), plain_square)) << period << " " << phase;
        ASSERT_EQ(saw.phase, phase);
      }
    }
  }
}

TEST(Oscillator, KeptSinesAreThePlainOnes) {
  // Periods inside the cache and beyond it, and a return to a period seen
  // before, whose kept sines must not be taken for the new ones.
  for (int32_t period : {8, 1000, 999, 1000, kSineCacheSize - 1, kSineCacheSize, kSineCacheSize + 1, 100000}) {
    ChooseSinePeriod(period);
    for (int32_t phase : {0, 1, period / 4, period / 3, period / 2, period - 1}) {
      float plain = float(std::sin(double(Fraction(phase, period)) * 2.0f * 3.1415927f));
      ASSERT_EQ(SineAt(phase, period), plain) << period << " " << phase;
      ASSERT_EQ(SineAt(phase, period), plain) << period << " " << phase << " kept";
    }
  }
}

TEST(Oscillator, NoiseIndexIsTheIntegerQuotient) {
  std::mt19937 random(11);
  for (int i = 0; i < 200000; i++) {
    int32_t period = 8 + int32_t(random() % (i % 2 ? 5000u : 0x7FFFFFF0u));
    int32_t phase = int32_t(random() % uint32_t(period));
    ASSERT_EQ(NoiseIndex(phase, period), uint32_t(int64_t(phase) * 32 / period)) << phase << " " << period;
  }
  // Where the product leaves 32 bits.
  for (int32_t phase : {(1 << 27) - 1, 1 << 27, (1 << 27) + 1, INT32_MAX - 1}) {
    int32_t period = phase + 1;
    EXPECT_EQ(NoiseIndex(phase, period), uint32_t(int64_t(phase) * 32 / period));
  }
}

// What the render stores for each sum, by the scalar steps.
std::vector<uint8_t> PlainSamples(const std::vector<float> &sums, float gain) {
  std::vector<uint8_t> bytes;
  for (float sum : sums) {
    uint16_t sample = uint16_t(int16_t(RoundToInt(ScaleOutput(sum, gain))));
    bytes.push_back(uint8_t(sample));
    bytes.push_back(uint8_t(sample >> 8));
  }
  return bytes;
}

TEST(SynthOutput, BlockScalingMatchesTheScalarSteps) {
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<float> sums = {0.0f, -0.0f, 1.0f, -1.0f, 4.5f, -4.5f, 1e-40f, -1e-40f, 3e38f, -3e38f,
                             inf, -inf, std::nanf(""), -std::nanf(""), 8.0f / 3.0f, 26.666666f, -26.666668f};
  // Sums whose level lands on and beside halves and the clipping bounds.
  for (int volume : {1, 5, 10, 64, 127, -128, -10}) {
    float gain = VolumeGain(volume);
    for (int level : {-30001, -30000, -2531, -1, 0, 1, 562, 14288, 29999, 30000}) {
      float sum = float((level + 0.5) / 30000.0 / 3.0 / (double(gain) * 2.0) / 0.05 * 8.0);
      sums.push_back(sum);
      sums.push_back(std::nextafter(sum, inf));
      sums.push_back(std::nextafter(sum, -inf));
    }
  }
  std::mt19937 random(3);
  for (int i = 0; i < 20000; i++) {
    uint32_t bits = uint32_t(random());
    float sum;
    std::memcpy(&sum, &bits, sizeof sum);
    sums.push_back(i % 2 ? sum : float(int32_t(random() % 2000001) - 1000000) / 1000.0f);
  }
  for (int volume : {0, 1, 5, 10, 64, 127, -1, -10, -128, 255}) {
    float gain = VolumeGain(volume);
    std::vector<uint8_t> expected = PlainSamples(sums, gain);
    std::vector<uint8_t> got(expected.size() + 8, 0xAB);
    ScaleSamplesInto(sums.data(), int32_t(sums.size()), gain, got.data());
    ASSERT_TRUE(std::equal(expected.begin(), expected.end(), got.begin())) << "volume " << volume;
    for (size_t i = expected.size(); i < got.size(); i++) ASSERT_EQ(got[i], 0xAB) << "wrote past the end";
    // Every short count, for the tail after the groups of four.
    for (int32_t count = 0; count <= 9; count++) {
      std::vector<uint8_t> part(2 * count + 8, 0xCD);
      ScaleSamplesInto(sums.data() + 5, count, gain, part.data());
      ASSERT_TRUE(std::equal(part.begin(), part.begin() + 2 * count, expected.begin() + 10)) << count;
      for (size_t i = 2 * count; i < part.size(); i++) ASSERT_EQ(part[i], 0xCD) << count;
    }
  }
}

}  // namespace

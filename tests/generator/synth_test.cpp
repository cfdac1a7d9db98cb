#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numeric.h"
#include "params.h"
#include "random.h"
#include "render_wubble.h"
#include "synth.h"
#include "test_generator.h"
#include "wav_image.h"

using namespace wubble;

namespace {

class Synth : public ::testing::Test {
 protected:
  Synth() : g(FreshGenerator()) { SeedRandom(g, 1); }
  WubbleGenerator &g;
};

// The samples of the sound g.params describe, from the full reset on.
std::vector<int16_t> Render(WubbleGenerator &g, float volume_gain) {
  std::vector<uint8_t> image(kWavImageBytes);
  int32_t length = RenderParams(g, volume_gain, image.data());
  std::vector<int16_t> samples;
  for (int32_t at = kWavHeaderBytes; at < length; at += 2) samples.push_back(int16_t(image[at] | image[at + 1] << 8));
  return samples;
}


// A plain tone: everything 0 but the pitch and a bypassed low-pass.
void PlainSaw(WubbleGenerator &g) {
  g.params = EffectParams{};
  g.params.waveform = 1;
  g.params.pitch_start = 0.5f;
  g.params.lowpass_cutoff = 1.0f;
  g.params.hold_time = 0.1f;
  g.params.release_time = 0.1f;
}

TEST_F(Synth, PeriodOfAPlainTone) {
  PlainSaw(g);
  g.synth.running = 1;
  ResetSynth(g, 1);
  EXPECT_EQ(g.synth.period, 398.40637450199205);
  EXPECT_EQ(g.synth.max_period, 100000.0);
  RenderOneLevel(g, 1.0f);
  EXPECT_EQ(g.synth.period_int, 398);
}

TEST_F(Synth, LimitConversionsDifferBetweenStepAndRetrigger) {
  struct Case { float value; int32_t step_limit; int32_t retrigger_limit; };
  const Case cases[] = {{1.0f, 0, 32}, {0.0f, 20032, 0}, {0.5f, 5032, 5032}, {0.3f, 9832, 9831}};
  for (const Case &c : cases) {
    g.params.step_speed = c.value;
    g.params.retrigger_rate = c.value;
    ResetSynth(g, 1);
    EXPECT_EQ(g.synth.step_limit, c.step_limit) << c.value;
    EXPECT_EQ(g.synth.retrigger_limit, c.retrigger_limit) << c.value;
  }
}

TEST_F(Synth, ResetConstants) {
  g.params.lowpass_cutoff = 1.0f;
  g.params.pitch_slide_accel = 1.0f;
  ResetSynth(g, 1);
  EXPECT_EQ(g.synth.lp_damping, 0.550000011920929f);
  EXPECT_EQ(g.synth.slide_accel, -std::nextafter(0.000001, 1.0));
  g.params.lowpass_resonance = 0.0f;
  g.params.lowpass_cutoff = 0.01f;  // large damping from a tiny resonance term
  ResetSynth(g, 1);
  EXPECT_LE(g.synth.lp_damping, 0.8f);
}

TEST_F(Synth, WorkedSawExample) {
  PlainSaw(g);
  g.synth.running = 1;
  ResetSynth(g, 1);
  EXPECT_EQ(g.stage_lengths[0], 0);
  EXPECT_EQ(g.stage_lengths[1], 1000);
  EXPECT_EQ(g.stage_lengths[2], 1000);
  const float levels[] = {19740.2109375f, 18822.65234375f, 17905.17578125f, 16987.779296875f};
  for (float level : levels) EXPECT_EQ(RenderOneLevel(g, 1.0f), level);

  PlainSaw(g);
  g.synth.phase = 0;
  std::vector<int16_t> samples = Render(g, 1.0f);
  ASSERT_EQ(samples.size(), 2003u);
  EXPECT_EQ(samples[0], 19740);
  EXPECT_EQ(samples[1], 18823);
  EXPECT_EQ(samples[2], 17905);
  EXPECT_EQ(samples[3], 16988);
  EXPECT_EQ(samples[2001], 0);
  EXPECT_EQ(samples[2002], 0);
}

TEST(SynthOutput, ScalingRoundsHalvesToEvenAndClips) {
  EXPECT_EQ(ScaleOutput(1.0f, VolumeGain(5)), 562.5f);
  EXPECT_EQ(RoundToInt(ScaleOutput(1.0f, VolumeGain(5))), 562);
  EXPECT_EQ(ScaleOutput(1.0f, VolumeGain(127)), 14287.5f);
  EXPECT_EQ(RoundToInt(ScaleOutput(1.0f, VolumeGain(127))), 14288);
  EXPECT_EQ(ScaleOutput(4.5f, VolumeGain(127)), 30000.0f);
  EXPECT_EQ(RoundToInt(ScaleOutput(-4.5f, VolumeGain(5))), -2531);
  EXPECT_EQ(ScaleOutput(3.0f, VolumeGain(0)), 0.0f);
  EXPECT_EQ(ScaleOutput(-1000.0f, VolumeGain(127)), -30000.0f);
  EXPECT_EQ(ScaleOutput(std::nanf(""), VolumeGain(5)), -30000.0f);
}

TEST(Conversions, OutOfRangeAndNaNGiveTheMinimum) {
  EXPECT_EQ(RoundToInt(2.5), 2);
  EXPECT_EQ(RoundToInt(3.5), 4);
  EXPECT_EQ(RoundToInt(-2.5), -2);
  EXPECT_EQ(RoundToInt(2147483647.0), 2147483647);
  EXPECT_EQ(RoundToInt(2147483647.5), INT32_MIN);
  EXPECT_EQ(RoundToInt(-2147483648.5), INT32_MIN);
  EXPECT_EQ(RoundToInt(-3e9), INT32_MIN);
  EXPECT_EQ(RoundToInt(std::nan("")), INT32_MIN);
  EXPECT_EQ(TruncToInt(-7.9), -7);
  EXPECT_EQ(TruncToInt(2147483647.9), 2147483647);
  EXPECT_EQ(TruncToInt(-2147483648.9), INT32_MIN);
  EXPECT_EQ(TruncToInt(2147483648.0), INT32_MIN);
  EXPECT_EQ(TruncToInt(INFINITY), INT32_MIN);
  EXPECT_EQ(TruncToInt(std::nan("")), INT32_MIN);
}

TEST(Conversions, RoundingAgreesWithTheLibraryOnHalvesAndFractions) {
  uint64_t bits = 0x9E3779B97F4A7C15ull;
  for (int i = 0; i < 200000; i++) {
    bits = bits * 6364136223846793005ull + 1442695040888963407ull;
    double scale = std::ldexp(1.0, int(bits >> 59));  // 1 .. 2^31
    double x = (double(int64_t(bits) >> 11) / 4503599627370496.0) * scale;
    double halves = std::floor(x) + 0.5;
    for (double v : {x, halves, -halves}) {
      double r = std::nearbyint(v);
      int32_t expected = (r >= -2147483648.0 && r <= 2147483647.0) ? int32_t(r) : INT32_MIN;
      ASSERT_EQ(RoundToInt(v), expected) << v;
    }
  }
  EXPECT_EQ(RoundToInt(-0.5), 0);
  EXPECT_EQ(RoundToInt(-1.5), -2);
  EXPECT_EQ(RoundToInt(0.49999999999999994), 0);
  EXPECT_EQ(RoundToInt(4503599627370497.0), INT32_MIN);
}

TEST(Conversions, PowerOfNegativeBasesAndZero) {
  EXPECT_EQ(PowSingle(-0.5f, 3.0f), -0.125f);
  EXPECT_EQ(PowSingle(-0.5f, 2.0f), 0.25f);
  EXPECT_EQ(PowSingle(0.0f, 5.0f), 0.0f);
  EXPECT_EQ(PowSingle(0.7f, 1.0f), 0.7f);
  // The cube of a single is rounded once from the exact value.
  for (float b : {0.3f, -0.77777f, 0.123456789f, 0.9999f}) {
    long double exact = (long double)b * b * b;
    EXPECT_EQ(PowDouble(b, 3.0), double(exact)) << b;
  }
}

TEST_F(Synth, ZeroCutoffIsSilentWhateverTheSweep) {
  PlainSaw(g);
  g.params.lowpass_cutoff = 0.0f;
  g.params.lowpass_sweep = 1.0f;
  std::vector<int16_t> samples = Render(g, 1.0f);
  ASSERT_EQ(samples.size(), 2003u);
  for (int16_t s : samples) ASSERT_EQ(s, 0);
}

TEST_F(Synth, NearlyOneCutoffStillFilters) {
  PlainSaw(g);
  std::vector<int16_t> bypass = Render(g, 1.0f);
  PlainSaw(g);
  g.params.lowpass_cutoff = 0.999999f;
  g.synth.phase = 0;
  std::vector<int16_t> filtered = Render(g, 1.0f);
  EXPECT_NE(bypass, filtered);
}

TEST_F(Synth, ZeroPhaserDoublesEveryPass) {
  PlainSaw(g);
  g.synth.running = 1;
  ResetSynth(g, 1);
  RenderOneLevel(g, 1.0f);
  EXPECT_EQ(g.synth.phaser_lag, 0);
  // With lag 0 the value read back is the one just written.
  float last = g.phaser_buffer[(g.synth.phaser_write + 1023) & 1023];
  EXPECT_EQ(last, g.synth.hp_out);
}

TEST_F(Synth, HighPassSweepRaisesAZeroCoefficient) {
  PlainSaw(g);
  g.synth.running = 1;
  ResetSynth(g, 1);
  EXPECT_EQ(g.synth.hp_coeff, 0.0f);
  RenderOneLevel(g, 1.0f);
  EXPECT_EQ(g.synth.hp_coeff, 0.00001f);
}

TEST_F(Synth, ZeroAttackStartsInTheHoldWithPunch) {
  PlainSaw(g);
  g.params.punch = 0.25f;
  g.synth.running = 1;
  ResetSynth(g, 1);
  RenderOneLevel(g, 1.0f);
  EXPECT_EQ(g.synth.env_stage, 1);
  EXPECT_EQ(g.synth.env_time, 0);
  EXPECT_EQ(g.synth.env_vol, 1.5f);
}

TEST_F(Synth, SquareWithZeroDutyIsLowThroughout) {
  PlainSaw(g);
  g.params.waveform = 0;
  g.params.pulse_width = 1.0f;  // duty 0
  g.synth.running = 1;
  ResetSynth(g, 1);
  EXPECT_EQ(g.synth.duty, 0.0f);
  // Constant -0.5 into a bypassed low-pass: the high-pass sees one step at
  // the start and nothing after, so the level decays and never turns positive.
  for (int i = 0; i < 300; i++) EXPECT_LE(RenderOneLevel(g, 1.0f), 0.0f);
}

// Renders with the envelope stage lengths forced and returns the gains of
// every sample.
std::vector<float> EnvelopeGains(WubbleGenerator &g, int32_t hold, int32_t release, float punch) {
  PlainSaw(g);
  g.params.punch = punch;
  g.synth.running = 1;
  ResetSynth(g, 1);
  g.stage_lengths[0] = 0;
  g.stage_lengths[1] = hold;
  g.stage_lengths[2] = release;
  std::vector<float> gains;
  while (g.synth.running) {
    float level = RenderOneLevel(g, 1.0f);
    EXPECT_LE(std::fabs(level), 30000.0f);
    gains.push_back(g.synth.env_vol);
  }
  return gains;
}

TEST_F(Synth, ZeroLengthStagesTakeTheirStartValue) {
  std::vector<float> zero_hold = EnvelopeGains(g, 0, 3, 0.25f);
  ASSERT_EQ(zero_hold.size(), 0u + 0 + 3 + 3);
  EXPECT_EQ(zero_hold[0], 1.5f);  // the hold's only sample: 1 + 2 x punch
  EXPECT_EQ(zero_hold[1], 1.0f);  // release from its start
  EXPECT_EQ(zero_hold[5], 0.0f);

  std::vector<float> zero_release = EnvelopeGains(g, 2, 0, 0.25f);
  ASSERT_EQ(zero_release.size(), 2u + 0 + 3);
  EXPECT_EQ(zero_release[3], 1.0f);  // the release's only sample
  EXPECT_EQ(zero_release[4], 1.0f);  // carried into the final sample
}

// Seeds whose stage parameters round to a zero length, found by search.
int32_t FindSeedWithZeroStage(WubbleGenerator &g, int stage) {
  for (int32_t seed = 0; seed < 200000; seed++) {
    GenerateEffectParams(g, seed);
    float t = stage == 1 ? g.params.hold_time : g.params.release_time;
    if (RoundToInt(double(t) * t * 100000.0f) == 0) return seed;
  }
  return -1;
}

TEST_F(Synth, SeedsWithZeroStagesStayInRangeAndFinite) {
  for (int stage : {1, 2}) {
    int32_t seed = FindSeedWithZeroStage(g, stage);
    ASSERT_GE(seed, 0);
    std::vector<uint8_t> image(kWavImageBytes);
    int32_t length = RenderWubbleImage(g, seed, 0, 127, image.data());
    EXPECT_EQ(g.stage_lengths[stage], 0);
    EXPECT_FALSE(std::isnan(g.synth.env_vol));
    int32_t count = (length - kWavHeaderBytes) / 2;
    for (int32_t k = 0; k < count; k++) {
      int16_t sample = int16_t(image[46 + 2 * k] | image[47 + 2 * k] << 8);
      ASSERT_GE(sample, -30000);
      ASSERT_LE(sample, 30000);
    }
  }
}

// The oscillator phase after every sample of one render.
std::vector<int32_t> PhaseTrack(WubbleGenerator &g) {
  std::vector<int32_t> phases;
  g.synth.running = 1;
  ResetSynth(g, 1);
  while (g.synth.running) {
    RenderOneLevel(g, 1.0f);
    phases.push_back(g.synth.phase);
  }
  return phases;
}

TEST_F(Synth, PhaseCarriesOverAndARetriggerRealigns) {
  PlainSaw(g);
  g.params.hold_time = 0.3f;
  g.params.retrigger_rate = 0.95f;  // restart every few dozen samples
  std::vector<int16_t> first = Render(g, 1.0f);
  ASSERT_NE(g.synth.phase, 0);
  std::vector<int16_t> second = Render(g, 1.0f);  // starts where the first ended
  ASSERT_EQ(first.size(), second.size());
  EXPECT_NE(first, second);
  g.synth.phase = 0;
  EXPECT_EQ(Render(g, 1.0f), first);

  g.synth.phase = 0;
  std::vector<int32_t> from_zero = PhaseTrack(g);
  std::vector<int32_t> carried = PhaseTrack(g);
  size_t restart = size_t(g.synth.retrigger_limit) - 1;
  ASSERT_EQ(from_zero.size(), carried.size());
  EXPECT_NE(from_zero[restart - 1], carried[restart - 1]);
  for (size_t k = restart; k < from_zero.size(); k++) ASSERT_EQ(from_zero[k], carried[k]) << k;
}

TEST_F(Synth, RetriggerZeroesThePhaseOnTime) {
  PlainSaw(g);
  g.params.pitch_start = 0.1f;  // long period
  g.params.hold_time = 0.5f;
  g.params.retrigger_rate = 0.5f;
  g.synth.running = 1;
  ResetSynth(g, 1);
  ASSERT_EQ(g.synth.retrigger_limit, 5032);
  for (int i = 0; i < 5031; i++) RenderOneLevel(g, 1.0f);
  ASSERT_GT(g.synth.period_int, 9);
  EXPECT_NE(g.synth.phase, 9);
  RenderOneLevel(g, 1.0f);
  EXPECT_EQ(g.synth.phase, 9);
}

TEST_F(Synth, PitchStepFiresOnceAtItsLimit) {
  PlainSaw(g);
  g.params.hold_time = 0.5f;
  g.params.step_speed = 0.5f;
  g.params.step_ratio = 0.5f;
  g.synth.running = 1;
  ResetSynth(g, 1);
  double start = g.synth.period;
  EXPECT_EQ(g.synth.step_mul, 1.0 - 0.25 * 0.9);
  for (int i = 0; i < 5031; i++) RenderOneLevel(g, 1.0f);
  EXPECT_EQ(g.synth.period, start);
  RenderOneLevel(g, 1.0f);
  EXPECT_EQ(g.synth.period, start * g.synth.step_mul);
  for (int i = 0; i < 6000; i++) RenderOneLevel(g, 1.0f);
  EXPECT_EQ(g.synth.period, start * g.synth.step_mul);
}

TEST_F(Synth, NegativeStepRatioJumpsDown) {
  g.params.step_ratio = -0.5f;
  ResetSynth(g, 1);
  EXPECT_EQ(g.synth.step_mul, 1.0 + 0.25 * 10.0);
}

TEST_F(Synth, LongSoundsAreCutAtTheLimit) {
  PlainSaw(g);
  g.params.hold_time = 1.0f;
  g.params.release_time = 1.0f;
  EXPECT_EQ(Render(g, 1.0f).size(), size_t(kMaxSamples));
}

// How often the phase wraps during one sample that starts at `phase`.
int WrapsInSample(int32_t phase, int32_t period_int) {
  int wraps = 0;
  for (int pass = 0; pass < 9; pass++) {
    if (++phase >= period_int) {
      phase %= period_int;
      wraps++;
    }
  }
  return wraps;
}

TEST_F(Synth, NoiseDrawsThirtyThreeValuesAtEveryWrap) {
  int noise_sounds = 0, tone_sounds = 0;
  for (int32_t seed = 0; seed < 40; seed++) {
    GenerateEffectParams(g, seed);
    int64_t expected = DrawsSinceSeed(g, seed) + 33;
    g.synth.running = 1;
    ResetSynth(g, 1);
    while (g.synth.running) {
      int32_t phase = g.synth.phase;
      RenderOneLevel(g, 1.0f);
      if (g.synth.retrigger_time == 0) phase = 0;  // restarted before the passes
      if (g.params.waveform == 3) expected += 33 * WrapsInSample(phase, g.synth.period_int);
    }
    RandomState after = g.random;
    SeedRandom(g, seed);
    for (int64_t k = 0; k < expected; k++) RandomStep(g);
    EXPECT_TRUE(SameRandomState(after, g.random)) << "seed " << seed;
    (g.params.waveform == 3 ? noise_sounds : tone_sounds)++;
  }
  EXPECT_GE(noise_sounds, 2);
  EXPECT_GE(tone_sounds, 2);
}

TEST_F(Synth, LengthIsTheStagesPlusThree) {
  for (int32_t seed : {9837320, 1, 7, 42}) {
    std::vector<uint8_t> image(kWavImageBytes);
    int32_t length = RenderWubbleImage(g, seed, 0, 5, image.data());
    int32_t expected = g.stage_lengths[0] + g.stage_lengths[1] + g.stage_lengths[2] + 3;
    if (expected > kMaxSamples) expected = kMaxSamples;
    EXPECT_EQ(length, kWavHeaderBytes + 2 * expected) << seed;
  }
}

TEST_F(Synth, ExtremeStepRatioKeepsThePeriodSane) {
  // Two mutations push step_ratio past 1.054 for this seed: the step
  // multiplier goes negative and the period leaves the 32-bit range.
  std::vector<uint8_t> image(kWavImageBytes);
  int32_t length = RenderWubbleImage(g, 115826, 2, 5, image.data());
  EXPECT_GT(g.params.step_ratio, 1.054f);
  EXPECT_EQ(length, kWavHeaderBytes + 2 * 102247);
  EXPECT_GE(g.synth.period_int, 8);
}

}  // namespace

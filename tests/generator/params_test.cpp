#include <gtest/gtest.h>

#include <cstring>

#include "params.h"
#include "random.h"
#include "test_generator.h"
#include "wav_image.h"

using namespace wubble;

namespace {

WubbleGenerator g;  // its work arrays are not needed here

void Generate(int32_t seed, int32_t mutations) {
  GenerateEffectParams(g, seed);
  MutateEffectParams(g, mutations);
}

TEST(Params, StartUpSoundWithoutMutation) {
  Generate(9837320, 0);
  EXPECT_EQ(DrawsSinceSeed(g, 9837320), 25);
  const EffectParams &p = g.params;
  EXPECT_EQ(p.waveform, 0);
  EXPECT_EQ(VolumeGain(5), 0.5f);
  EXPECT_EQ(p.pitch_start, 0.38520873f);
  EXPECT_EQ(p.pitch_floor, 0.0f);
  EXPECT_EQ(p.pitch_slide, 0.10389691f);
  EXPECT_EQ(p.pitch_slide_accel, -0.14736526f);
  EXPECT_EQ(p.pulse_width, 0.8758f);
  EXPECT_EQ(p.pulse_width_sweep, 0.4242419f);
  EXPECT_EQ(p.wobble_depth, -0.002009917f);
  EXPECT_EQ(p.wobble_rate, 0.83f);
  EXPECT_EQ(p.spare_param, 0.4586f);
  EXPECT_EQ(p.attack_time, -0.057423107f);
  EXPECT_EQ(p.hold_time, 0.93083906f);
  EXPECT_EQ(p.release_time, 0.0972f);
  EXPECT_EQ(p.punch, 0.21820112f);
  EXPECT_EQ(p.lowpass_resonance, 0.5598f);
  EXPECT_EQ(p.lowpass_cutoff, 0.9998901f);
  EXPECT_EQ(p.lowpass_sweep, -0.007233848f);
  EXPECT_EQ(p.highpass_cutoff, 2.346516e-05f);
  EXPECT_EQ(p.highpass_sweep, 0.0013722415f);
  EXPECT_EQ(p.phaser_offset, 0.5973731f);
  EXPECT_EQ(p.phaser_sweep, -0.086585544f);
  EXPECT_EQ(p.retrigger_rate, 0.4366f);
  EXPECT_EQ(p.step_speed, 0.3096f);
  EXPECT_EQ(p.step_ratio, 0.6442f);
}

TEST(Params, OneMutationChangesTheListedFieldsOnly) {
  Generate(9837320, 0);
  EffectParams before = g.params;
  Generate(9837320, 1);
  EXPECT_EQ(DrawsSinceSeed(g, 9837320), 60);
  EffectParams expected = before;
  expected.pitch_start = 0.33524874f;
  expected.pitch_slide = 0.14779691f;
  expected.pitch_slide_accel = -0.12614526f;
  expected.pulse_width_sweep = 0.4241419f;
  expected.wobble_depth = -0.04691992f;
  expected.wobble_rate = 0.81457f;
  expected.spare_param = 0.49109003f;
  expected.attack_time = -0.10309311f;
  expected.lowpass_resonance = 0.56465f;
  expected.lowpass_sweep = -0.020313848f;
  expected.highpass_cutoff = 0.022293465f;
  expected.phaser_offset = 0.62665313f;
  expected.retrigger_rate = 0.47756f;
  EXPECT_EQ(0, std::memcmp(&expected, &g.params, sizeof expected));
}

TEST(Params, TwoMutationsTake97Draws) {
  Generate(9837320, 2);
  EXPECT_EQ(DrawsSinceSeed(g, 9837320), 97);
}

TEST(Params, SeedOneFlipsTheSlideAndLengthensTheEnvelope) {
  Generate(1, 0);
  EXPECT_EQ(DrawsSinceSeed(g, 1), 27);
  EXPECT_EQ(g.params.waveform, 2);
  EXPECT_EQ(g.params.pitch_start, 1.065199f);
  EXPECT_EQ(g.params.pitch_slide, -0.9970037f);
  EXPECT_EQ(g.params.hold_time, 0.28308156f);
  EXPECT_EQ(g.params.release_time, -0.15236f);
}

TEST(Params, SeedZero) {
  Generate(0, 0);
  EXPECT_EQ(g.params.waveform, 2);
  EXPECT_EQ(g.params.pitch_start, 0.48568648f);
  EXPECT_EQ(g.params.pitch_slide_accel, 0.015625f);
  EXPECT_EQ(g.params.highpass_cutoff, 1.9813555e-08f);
}

TEST(Params, NegativeMutationCountIsNone) {
  Generate(424242, 0);
  EffectParams none = g.params;
  int none_draws = DrawsSinceSeed(g, 424242);
  Generate(424242, -5);
  EXPECT_EQ(0, std::memcmp(&none, &g.params, sizeof none));
  EXPECT_EQ(DrawsSinceSeed(g, 424242), none_draws);
}

TEST(Params, EachRoundContinuesFromThePreviousRecord) {
  // k rounds then one more equals k + 1 rounds, as long as nothing draws
  // in between: the record after round k is the start of round k + 1.
  for (int32_t seed : {3, 99, 123456}) {
    Generate(seed, 4);
    EffectParams four = g.params;
    RandomState after_four = g.random;
    Generate(seed, 5);
    EffectParams five = g.params;
    g.params = four;
    g.random = after_four;
    MutateEffectParams(g, 1);
    EXPECT_EQ(0, std::memcmp(&five, &g.params, sizeof five)) << seed;
  }
}

TEST(Params, DrawCountsFollowTheCoins) {
  // Generation takes 24 draws, one more for the pitch coin and two more
  // for the lengthened envelope; nothing else varies.
  int seen[28] = {};
  for (int32_t seed = 0; seed < 400; seed++) {
    Generate(seed, 0);
    int draws = DrawsSinceSeed(g, seed);
    ASSERT_GE(draws, 24);
    ASSERT_LE(draws, 27);
    seen[draws]++;
  }
  EXPECT_GT(seen[24], 0);
  EXPECT_GT(seen[25], 0);
  EXPECT_GT(seen[26] + seen[27], 0);
}

TEST(Params, GeneratedRanges) {
  for (int32_t seed = 1000; seed < 1400; seed++) {
    Generate(seed, 0);
    const EffectParams &p = g.params;
    EXPECT_GE(p.waveform, 0);
    EXPECT_LE(p.waveform, 3);
    EXPECT_GE(p.pitch_start, -0.5f);
    EXPECT_LE(p.pitch_start, 1.5f);
    EXPECT_GE(p.punch, 0.0f);
    EXPECT_LE(p.punch, 0.64f);
    EXPECT_GE(p.lowpass_cutoff, 0.0f);
    EXPECT_LE(p.lowpass_cutoff, 1.0f);
    EXPECT_GE(p.highpass_cutoff, 0.0f);
    EXPECT_LE(p.highpass_cutoff, 1.0f);
    EXPECT_LE(p.hold_time, 1.5f);
  }
}

TEST(Params, VolumeIsASignedByte) {
  EXPECT_EQ(VolumeGain(127), 12.699999809265137f);
  EXPECT_EQ(VolumeGain(-10), -1.0f);
  EXPECT_EQ(VolumeGain(0), 0.0f);
  EXPECT_EQ(VolumeGain(256 + 5), 0.5f);
  EXPECT_EQ(VolumeGain(255), VolumeGain(-1));
  EXPECT_EQ(VolumeGain(128), VolumeGain(-128));
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "numeric.h"
#include "params.h"
#include "render_wubble.h"
#include "synth.h"
#include "test_generator.h"
#include "wav_image.h"

using namespace wubble;

namespace {

uint32_t Read32(const std::vector<uint8_t> &b, int at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

int16_t SampleAt(const std::vector<uint8_t> &b, int k) {
  return int16_t(b[46 + 2 * k] | b[47 + 2 * k] << 8);
}

WubbleGenerator &g = *NewGenerator();  // for the whole run

// A first sound of a run, in a buffer used before.
std::vector<uint8_t> FirstSound(int32_t seed, int32_t mutations, int32_t volume, int32_t *length) {
  std::vector<uint8_t> image(kWavImageBytes, 0xAB);
  *length = RenderFirstSound(g, seed, mutations, volume, image.data());
  return image;
}

// The number of samples a seed's envelope gives, from its parameters alone.
int32_t PlannedSamples(int32_t seed) {
  GenerateEffectParams(g, seed);
  const EffectParams &p = g.params;
  int64_t sum = 3;
  for (float t : {p.attack_time, p.hold_time, p.release_time}) sum += RoundToInt(double(t) * t * 100000.0f);
  return sum > kMaxSamples ? kMaxSamples : int32_t(sum);
}

int32_t FindSeedWithSamples(int32_t wanted) {
  for (int32_t seed = 0; seed < 100000; seed++) {
    if (PlannedSamples(seed) == wanted) return seed;
  }
  return -1;
}

const uint8_t kHeader[42] = {
    'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
    18, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 0x01, 0,
    2, 0, 16, 0, 0, 0, 'd', 'a', 't', 'a'};

TEST(WavImage, HeaderAndSizesOfTheStartUpSound) {
  int32_t length;
  std::vector<uint8_t> image = FirstSound(9837320, 0, 5, &length);
  int32_t n = (length - 46) / 2;
  EXPECT_EQ(0, std::memcmp(image.data(), kHeader, 4));
  EXPECT_EQ(0, std::memcmp(image.data() + 8, kHeader + 8, 34));
  EXPECT_EQ(Read32(image, 4), uint32_t(38 + 2 * n));
  EXPECT_EQ(Read32(image, 42), uint32_t(2 * n));
  EXPECT_EQ(wave_format.byte_rate, 88200);
  EXPECT_EQ(wave_format.block_align, 2);
  for (int at = length; at < kWavImageBytes; at++) ASSERT_EQ(image[at], 0) << at;
}

TEST(WavImage, SoundCutAtTheLimit) {
  int32_t seed = FindSeedWithSamples(kMaxSamples);
  ASSERT_GE(seed, 0);
  int32_t length;
  std::vector<uint8_t> image = FirstSound(seed, 0, 5, &length);
  EXPECT_EQ(length, 256048);
  EXPECT_EQ(Read32(image, 42), 256002u);
  EXPECT_EQ(Read32(image, 4), 256040u);
  for (int at = 256048; at < kWavImageBytes; at++) ASSERT_EQ(image[at], 0) << at;
}

TEST(WavImage, SoundOfAThousandSamples) {
  // No seed alone gives so short a sound; set the stages directly.
  g.params = EffectParams{};
  g.params.pitch_start = 0.3f;
  g.params.hold_time = float(std::sqrt(0.00957));  // 957 samples
  g.params.release_time = 0.02f;                   // 40 samples
  std::vector<uint8_t> image(kWavImageBytes);
  int32_t length = RenderParams(g, 1.0f, image.data());
  ASSERT_EQ(g.stage_lengths[0] + g.stage_lengths[1] + g.stage_lengths[2], 997);
  EXPECT_EQ(length, 2046);
  EXPECT_EQ(Read32(image, 42), 2000u);
  EXPECT_EQ(Read32(image, 4), 2038u);
}

TEST(WavImage, VolumeZeroIsSilentAtFullLength) {
  int32_t loud_length, quiet_length;
  FirstSound(9837320, 0, 5, &loud_length);
  std::vector<uint8_t> quiet = FirstSound(9837320, 0, 0, &quiet_length);
  EXPECT_EQ(quiet_length, loud_length);
  for (int at = 46; at < quiet_length; at++) ASSERT_EQ(quiet[at], 0) << at;
}

TEST(WavImage, NegativeVolumeNegatesEverySample) {
  for (int32_t seed : {9837320, 1, 14}) {
    int32_t plus_length, minus_length;
    std::vector<uint8_t> plus = FirstSound(seed, 1, 10, &plus_length);
    std::vector<uint8_t> minus = FirstSound(seed, 1, -10, &minus_length);
    ASSERT_EQ(plus_length, minus_length);
    int nonzero = 0;
    for (int k = 0; k < (plus_length - 46) / 2; k++) {
      ASSERT_EQ(SampleAt(minus, k), -SampleAt(plus, k)) << seed << " " << k;
      nonzero += SampleAt(plus, k) != 0;
    }
    EXPECT_GT(nonzero, 0);
  }
}

TEST(WavImage, WideVolumesKeepTheirLowByte) {
  int32_t a_length, b_length;
  std::vector<uint8_t> a = FirstSound(77, 0, 256 + 7, &a_length);
  std::vector<uint8_t> b = FirstSound(77, 0, 7, &b_length);
  EXPECT_EQ(a, b);
}

TEST(WavImage, RepeatedCallsKeepHeaderAndLength) {
  std::vector<uint8_t> first(kWavImageBytes), second(kWavImageBytes);
  int32_t a = RenderWubbleImage(g, 31, 0, 5, first.data());
  int32_t b = RenderWubbleImage(g, 31, 0, 5, second.data());
  EXPECT_EQ(a, b);
  EXPECT_EQ(0, std::memcmp(first.data(), second.data(), 46));
}

}  // namespace

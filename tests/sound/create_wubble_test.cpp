// The generator entry end to end on a loopback device: the sound it loads
// into the slot is the one it copies to the caller, sample for sample.
#include <gtest/gtest.h>

#include <vector>

#include "create_wubble.h"
#include "loopback.h"
#include "sample_match.h"
#include "sound.h"

namespace {

std::vector<int16_t> SamplesOf(const std::vector<uint8_t> &image) {
  uint32_t bytes = image[42] | image[43] << 8 | image[44] << 16 | uint32_t(image[45]) << 24;
  std::vector<int16_t> samples(bytes / 2);
  for (size_t k = 0; k < samples.size(); k++) samples[k] = int16_t(image[46 + 2 * k] | image[47 + 2 * k] << 8);
  return samples;
}

TEST(CreateWubble, LoadsTheSlotWithTheSoundItCopies) {
  ALCdevice *device = StartServiceOnLoopback(1);
  ASSERT_NE(device, nullptr);
  std::vector<uint8_t> copy(260000, 0xAA);
  EXPECT_EQ(CreateWubble(9837320, 2, 5, 1, copy.data()), 0);
  for (size_t at = 46 + SamplesOf(copy).size() * 2; at < copy.size(); at++) ASSERT_EQ(copy[at], 0) << at;
  std::vector<int16_t> samples = SamplesOf(copy);
  ASSERT_GT(samples.size(), 1000u);
  EXPECT_TRUE(Silent(RenderFrames(device, 200, 1))) << "loaded, not started";
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(RenderFrames(device, int(samples.size()), 1), samples));

  // The next sound replaces it in the same slot; without a copy buffer too.
  EXPECT_EQ(CreateWubble(1, 0, 127, 1), 0);
  ASSERT_EQ(StartSound(1), 1);
  std::vector<int16_t> heard = RenderFrames(device, 1000, 1);
  EXPECT_FALSE(SameSamples(heard, Part(samples, 0, 1000)));
  ReleaseSounds();
}

TEST(CreateWubble, WithoutADeviceStillCopiesTheImage) {
  std::vector<uint8_t> copy(260000, 0xAA);
  EXPECT_EQ(CreateWubble(5, 0, 5, 1, copy.data()), 0);
  EXPECT_EQ(copy[0], 'R');
  EXPECT_EQ(SamplesOf(copy).size(), 128001u);
  EXPECT_EQ(SoundCursor(1), 0u);
  EXPECT_EQ(StartSound(1), 0);
}

}  // namespace

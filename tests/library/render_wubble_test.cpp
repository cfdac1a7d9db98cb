// How RenderWubble and CreateWubble share the oscillator: RenderWubble always
// renders a first sound of a run, and CreateWubble keeps its own carry-over
// whatever RenderWubble does in between. No audio device is involved: the
// loads into the slot fail quietly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "default_generator.h"
#include "wubble.h"

using wubble::default_generator;

namespace {

using Image = std::vector<uint8_t>;

Image Created(int32_t seed, int32_t mutations, int32_t volume) {
  Image image(WUBBLE_IMAGE_BYTES);
  CreateWubble(seed, mutations, volume, 1, image.data());
  return image;
}

Image Rendered(int32_t seed, int32_t mutations, int32_t volume) {
  Image image(WUBBLE_IMAGE_BYTES);
  RenderWubble(seed, mutations, volume, image.data());
  return image;
}

uint32_t Read32(const Image &b, int at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

TEST(RenderWubble, IsTheFirstSoundOfARunWhateverCameBefore) {
  default_generator.synth.phase = 0;  // as at start-up
  Image first = Created(9837320, 0, 5);
  // The same numbers again continue from where the first sound ended; the
  // check below means nothing unless that changes the bytes.
  Image second = Created(9837320, 0, 5);
  ASSERT_NE(first, second);

  EXPECT_EQ(Rendered(9837320, 0, 5), first);
  Created(-77, 4, 90);
  EXPECT_EQ(Rendered(9837320, 0, 5), first);
}

TEST(RenderWubble, LeavesTheCarryOverOfCreateWubbleAlone) {
  default_generator.synth.phase = 0;
  Created(1, 0, 5);
  Image undisturbed = Created(2, 0, 5);

  default_generator.synth.phase = 0;
  Created(3, 0, 5);
  ASSERT_NE(Created(2, 0, 5), undisturbed) << "sound 3 must end elsewhere than sound 1";

  default_generator.synth.phase = 0;
  Created(1, 0, 5);
  Rendered(3, 0, 5);
  EXPECT_EQ(Created(2, 0, 5), undisturbed);
}

TEST(RenderWubble, FillsTheWholeBufferAndReturnsTheContentLength) {
  Image image(WUBBLE_IMAGE_BYTES, 0xAB);  // a buffer used before
  int32_t length = RenderWubble(-2000000000, 7, 64, image.data());
  ASSERT_GT(length, 46);
  ASSERT_LE(length, 46 + 2 * 128001);
  EXPECT_EQ(Read32(image, 42), uint32_t(length - 46));
  EXPECT_EQ(Read32(image, 4), uint32_t(length - 8));
  for (int at = length; at < WUBBLE_IMAGE_BYTES; at++) {
    ASSERT_EQ(image[at], 0) << "tail byte " << at;
  }
  EXPECT_EQ(image, Rendered(-2000000000, 7, 64));
  EXPECT_EQ(RenderWubble(1, 0, 5, nullptr), 0);
}

// A program using the library never calls AllocateSynthArrays.
TEST(RenderWubble, AllocatesTheWorkArraysItself) {
  Image before = Rendered(42, 1, 5);
  std::free(default_generator.stage_lengths);
  std::free(default_generator.phaser_buffer);
  std::free(default_generator.noise_buffer);
  default_generator.stage_lengths = nullptr;
  default_generator.phaser_buffer = nullptr;
  default_generator.noise_buffer = nullptr;
  EXPECT_EQ(Rendered(42, 1, 5), before);

  std::free(default_generator.noise_buffer);
  default_generator.noise_buffer = nullptr;
  default_generator.synth.phase = 0;
  Image created = Created(42, 1, 5);
  EXPECT_EQ(created, before);
}

}  // namespace

// Run with OpenAL given no driver at all: the default output cannot open.
#include <gtest/gtest.h>

#include "sound.h"
#include "stderr_capture.h"
#include "wav_builder.h"

namespace {

TEST(NoDevice, EveryOperationKeepsItsContractSilently) {
  StderrCapture capture;
  Bytes image = Mono16Wav(TestSamples(1000, 1));
  EXPECT_EQ(InitSoundOutput(), 0);
  EXPECT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 0);
  EXPECT_EQ(StartSound(1), 0);
  EXPECT_EQ(SoundCursor(1), 0u);
  HaltSound(1);
  EXPECT_EQ(InitSoundOutput(), 0);
  ReleaseSounds();
  ReleaseSounds();

  EXPECT_EQ(InitSoundOutput(), 0);
  EXPECT_EQ(LoadSoundImage(0, image.data(), uint32_t(image.size())), 0);
  EXPECT_EQ(StartSound(0), 0);
  EXPECT_EQ(SoundCursor(0), 0u);
  ReleaseSounds();
  EXPECT_EQ(capture.Finish(), "");
}

}  // namespace

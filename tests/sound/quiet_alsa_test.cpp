// Run with OpenAL restricted to ALSA. On a machine without a sound card the
// sound library prints its own errors unless the service silences them.
#include <gtest/gtest.h>

#include "sound.h"
#include "stderr_capture.h"
#include "wav_builder.h"

namespace {

TEST(QuietAlsa, OpeningTheDefaultOutputPrintsNothing) {
  StderrCapture capture;
  Bytes image = Mono16Wav(TestSamples(100, 3));
  int32_t ready = InitSoundOutput();
  EXPECT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), ready);
  ReleaseSounds();
  EXPECT_EQ(capture.Finish(), "");
}

}  // namespace

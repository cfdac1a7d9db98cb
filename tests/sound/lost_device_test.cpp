// Run with OpenAL writing its output to a file that refuses every write: the
// device opens, then goes away as soon as it first mixes.
#include <gtest/gtest.h>

#include <AL/alc.h>
#include <AL/alext.h>

#include <chrono>
#include <thread>

#include "sound.h"
#include "stderr_capture.h"
#include "wav_builder.h"

namespace {

bool WaitForDisconnect() {
  ALCdevice *device = alcGetContextsDevice(alcGetCurrentContext());
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(device, ALC_CONNECTED, 1, &connected);
    if (!connected) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST(LostDevice, OperationsKeepTheirContractAfterTheDeviceGoesAway) {
  StderrCapture capture;
  Bytes image = Mono16Wav(TestSamples(44100, 2));
  ASSERT_EQ(InitSoundOutput(), 1);
  // The device mixes its first block one block period (tens of
  // milliseconds) after opening, so this load still finds it there.
  ASSERT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 1);
  ASSERT_TRUE(WaitForDisconnect());

  EXPECT_EQ(StartSound(1), 0) << "the library itself accepts a start on a lost device";
  EXPECT_EQ(SoundCursor(1), 0u);
  HaltSound(1);
  EXPECT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 0);
  EXPECT_EQ(LoadSoundImage(2, image.data(), uint32_t(image.size())), 0);
  ReleaseSounds();
  EXPECT_EQ(alcGetCurrentContext(), nullptr);
  EXPECT_EQ(capture.Finish(), "") << "the library's own error reports must stay off";
}

}  // namespace

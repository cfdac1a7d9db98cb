// Run with OpenAL's null output, which mixes in real time into nothing and
// reports a real output latency: the one place the latency shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "sound.h"
#include "sound_context.h"
#include "service_pause.h"
#include "sound_state.h"
#include "stderr_capture.h"
#include "wav_builder.h"

using namespace wubble;

namespace {

const double kRate = 44100;

struct Mixed {
  bool playing;
  double heard_frames;  // mixed position less the latency
  int64_t latency_ns;
};

// Read on the service's own context, as the service reads it.
Mixed ReadMixed(ALuint source) {
  SoundContextScope scope;
  ALint state = 0;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  ALint64SOFT v[2] = {0, 0};
  sound_output.get_offset_latency(source, AL_SAMPLE_OFFSET_LATENCY_SOFT, v);
  return Mixed{state == AL_PLAYING, double(v[0] >> 32) - double(v[1]) * kRate / 1e9, v[1]};
}

// Polls the cursor of slot 1 until the sound has played out, checking each
// answer against the library's own position read just before and after.
// Returns how many answers were past 0.
int WatchOnePlay(ALuint source, uint32_t pcm_bytes) {
  int positive = 0;
  uint32_t last = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    Mixed before = ReadMixed(source);
    uint32_t cursor = SoundCursor(1);
    Mixed after = ReadMixed(source);
    if (!before.playing && !after.playing) {
      EXPECT_EQ(cursor, 0u) << "played to its end";
      return positive;
    }
    EXPECT_EQ(cursor % 2, 0u);
    EXPECT_LT(cursor, pcm_bytes);
    if (before.playing && after.playing) {
      EXPECT_GE(cursor / 2.0, std::floor(before.heard_frames) - 1);
      EXPECT_LE(cursor / 2.0, std::max(0.0, after.heard_frames) + 1);
      EXPECT_GE(cursor, last) << "the cursor runs backwards";
      EXPECT_GT(after.latency_ns, 0) << "this output should report its latency";
    }
    positive += cursor > 0;
    last = cursor;
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
  ADD_FAILURE() << "the sound did not finish";
  return positive;
}

TEST(NullDriver, CursorFollowsWhatIsHeardAndEndsAtZero) {
  StderrCapture capture;
  ASSERT_EQ(InitSoundOutput(), 1);
  ASSERT_NE(sound_output.get_offset_latency, nullptr);
  Bytes image = Mono16Wav(TestSamples(11025, 4));  // a quarter of a second
  ASSERT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 1);
  ALuint source = FindSoundSlot(1)->source;

  ASSERT_EQ(StartSound(1), 1);
  EXPECT_GT(WatchOnePlay(source, 2 * 11025), 5);
  ASSERT_EQ(StartSound(1), 1) << "a finished sound starts again";
  EXPECT_GT(WatchOnePlay(source, 2 * 11025), 5);
  ReleaseSounds();
  EXPECT_EQ(capture.Finish(), "");
}

int64_t DeviceClockNs() {
  ALCint64SOFT clock = -1;
  sound_output.get_device_integer64(sound_output.device, ALC_DEVICE_CLOCK_SOFT, 1, &clock);
  return clock;
}

// The null output mixes in real time while it runs: a tenth of a second is
// several of its periods.
bool DeviceStandsStill() {
  int64_t before = DeviceClockNs();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return DeviceClockNs() == before;
}

bool WaitForDeviceToRun() {
  int64_t before = DeviceClockNs();
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (DeviceClockNs() == before) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Paused from the start, running while a sound plays, paused again by the
// sound's own end or by a halt.
TEST(NullDriver, DevicePausesWhileNoSlotPlays) {
  StderrCapture capture;
  ASSERT_EQ(InitSoundOutput(), 1);
  ASSERT_NE(sound_output.get_device_integer64, nullptr);
  EXPECT_TRUE(ServicePaused());
  EXPECT_TRUE(DeviceStandsStill()) << "running before any sound";

  Bytes image = Mono16Wav(TestSamples(4410, 6));  // a tenth of a second
  ASSERT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 1);
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(WaitForDeviceToRun()) << "paused while a sound plays";
  ASSERT_TRUE(WaitForServicePaused(true)) << "still running after the sound's end";
  EXPECT_EQ(SoundCursor(1), 0u);
  EXPECT_TRUE(DeviceStandsStill()) << "running after the sound's end";

  Bytes long_image = Mono16Wav(TestSamples(88200, 7));
  ASSERT_EQ(LoadSoundImage(2, long_image.data(), uint32_t(long_image.size())), 1);
  ASSERT_EQ(StartSound(2), 1);
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(WaitForDeviceToRun());
  HaltSound(2);
  EXPECT_FALSE(ServicePaused()) << "paused while slot 1 still plays";
  HaltSound(1);
  EXPECT_TRUE(ServicePaused());
  EXPECT_TRUE(DeviceStandsStill()) << "running after the halts";
  ReleaseSounds();
  EXPECT_EQ(capture.Finish(), "");
}

// Every slot up to the limit holds a sound at once, the next one none.
TEST(NullDriver, SlotLimitIsWhatLoads) {
  EXPECT_EQ(SoundSlotLimit(), 0) << "no device yet";
  ASSERT_EQ(InitSoundOutput(), 1);
  const int32_t limit = SoundSlotLimit();
  std::printf("slot limit on the null output: %d\n", int(limit));
  RecordProperty("slot_limit", int(limit));
  ASSERT_GE(limit, 1024);
  Bytes image = Mono16Wav(TestSamples(64, 9));
  for (int32_t slot = 0; slot < limit; ++slot) {
    ASSERT_EQ(LoadSoundImage(slot, image.data(), uint32_t(image.size())), 1) << "slot " << slot;
  }
  EXPECT_EQ(LoadSoundImage(limit, image.data(), uint32_t(image.size())), 0) << "a slot beyond the limit";
  EXPECT_EQ(StartSound(limit), 0);
  EXPECT_EQ(LoadSoundImage(0, image.data(), uint32_t(image.size())), 1) << "a reload needs no new room";
  EXPECT_EQ(StartSound(limit - 1), 1);
  ReleaseSounds();
  EXPECT_EQ(SoundSlotLimit(), 0);
}

}  // namespace

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
  double mixed_frames;
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
  double mixed = double(v[0] >> 32);
  return Mixed{state == AL_PLAYING, mixed, mixed - double(v[1]) * kRate / 1e9, v[1]};
}

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The output's mixing update: the device tells its positions in these steps.
double UpdateMs() {
  ALCint refresh = 0;
  alcGetIntegerv(sound_output.device, ALC_REFRESH, 1, &refresh);
  return refresh > 0 ? 1000.0 / refresh : 0;
}

struct Play {
  uint32_t peak = 0;
  int rises = 0;
  double longest_gap_ms = 0;  // between two answers
  double mixed_ms = -1;       // when the mixing was seen to have ended, from the start
  double zero_ms = -1;        // when the cursor came back to 0
};

// Starts slot 1 and polls its cursor until it is back at 0, checking each
// answer: even, inside the sound, never running back; while it mixes, no
// further than the library's own mixed position, and no more than one
// update behind its heard one (mixed less latency, which moves in updates);
// and 0 within 100 ms of the end of the mixing and the latency.
Play WatchOnePlay(ALuint source, uint32_t frames, double latency_ms, double update_ms) {
  Play play;
  EXPECT_EQ(StartSound(1), 1);
  auto start = std::chrono::steady_clock::now();
  uint32_t last = 0;
  double last_at = 0;
  while (MsSince(start) < 5000) {
    Mixed before = ReadMixed(source);
    uint32_t cursor = SoundCursor(1);
    Mixed after = ReadMixed(source);
    double at = MsSince(start);
    play.longest_gap_ms = std::max(play.longest_gap_ms, at - last_at);
    last_at = at;
    EXPECT_EQ(cursor % 2, 0u);
    EXPECT_LT(cursor, 2 * frames);
    if (before.playing && after.playing) {
      EXPECT_GT(after.latency_ns, 0) << "this output should report its latency";
      EXPECT_GE(cursor / 2.0, std::floor(before.heard_frames) - update_ms * kRate / 1000 - 1);
      EXPECT_LE(cursor / 2.0, after.mixed_frames + 1) << "heard before it was mixed";
    }
    if (!after.playing && play.mixed_ms < 0) play.mixed_ms = at;
    if (cursor == 0 && last > 0) {
      play.zero_ms = at;
      return play;
    }
    // A poll that slept through the whole sound saw no cursor at all; the
    // caller tells that from a missing one by the longest gap.
    if (cursor == 0 && play.mixed_ms >= 0 && at > play.mixed_ms + latency_ms + 100) {
      play.zero_ms = at;
      return play;
    }
    EXPECT_FALSE(cursor > 0 && play.mixed_ms >= 0 && at > play.mixed_ms + latency_ms + 100)
        << "still " << cursor << " at " << at << " ms";
    EXPECT_GE(cursor, last) << "the cursor runs backwards";
    play.rises += cursor > last;
    play.peak = std::max(play.peak, cursor);
    last = cursor;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ADD_FAILURE() << "the cursor never came back to 0";
  return play;
}

// However short the sound, the cursor rises while it is heard and is 0 again
// once its last sample has been heard, the output's latency included: the
// loop of the README ends soon after the sound. A finished sound plays again.
TEST(NullDriver, CursorFollowsWhatIsHeardAndEndsAtZero) {
  StderrCapture capture;
  ASSERT_EQ(InitSoundOutput(), 1);
  ASSERT_NE(sound_output.get_offset_latency, nullptr);
  const double update_ms = UpdateMs();
  for (int ms : {10, 50, 100, 250}) {
    SCOPED_TRACE(std::to_string(ms) + " ms");
    uint32_t frames = uint32_t(ms * 441 / 10);
    Bytes image = Mono16Wav(TestSamples(frames, 4));
    ASSERT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 1);
    ALuint source = FindSoundSlot(1)->source;
    double latency_ms = ReadMixed(source).latency_ns / 1e6;
    // Twice; a play during which the poll slept through a whole sound's
    // length (a busy machine) tells nothing and is played again.
    for (int round = 0, told = 0; round < 6 && told < 2; round++) {
      Play play = WatchOnePlay(source, frames, latency_ms, update_ms);
      if (play.longest_gap_ms > ms) continue;
      told++;
      EXPECT_GT(play.peak, 0u) << "no cursor for the sound";
      // Its last frame was mixed in the last update, and is heard a latency later.
      EXPECT_GE(play.zero_ms, play.mixed_ms + latency_ms - update_ms - 2) << "0 before the end was heard";
      std::printf("%d ms sound: cursor peak %u of %u bytes, %d rises, 0 again %.0f ms after the start "
                  "(mixed by %.0f ms, latency %.0f ms)\n",
                  ms, play.peak, 2 * frames, play.rises, play.zero_ms, play.mixed_ms, latency_ms);
      RecordProperty("peak_" + std::to_string(ms) + "_ms", int(play.peak));
    }
  }
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

// The service on a loopback device: what it plays, sample for sample.
#include <gtest/gtest.h>

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <climits>

#include "loopback.h"
#include "sample_match.h"
#include "service_pause.h"
#include "sound.h"
#include "wav_builder.h"

namespace {

const int kCount = 3000;

class Playback : public ::testing::Test {
 protected:
  void SetUp() override {
    device = StartServiceOnLoopback(1);
    ASSERT_NE(device, nullptr);
  }
  void TearDown() override { ReleaseSounds(); }
  std::vector<int16_t> Render(int frames) { return RenderFrames(device, frames, 1); }
  int32_t Load(int32_t slot, const Bytes &image) { return LoadSoundImage(slot, image.data(), uint32_t(image.size())); }

  ALCdevice *device = nullptr;
  std::vector<int16_t> a = TestSamples(kCount, 11);
  std::vector<int16_t> b = TestSamples(kCount, 22);
};

TEST_F(Playback, LoadedSoundWaitsThenPlaysOnceFromItsFirstSample) {
  ASSERT_EQ(Load(1, Mono16Wav(a)), 1);
  EXPECT_TRUE(Silent(Render(300))) << "a load must not start the sound";
  ASSERT_EQ(StartSound(1), 1);
  std::vector<int16_t> heard = Render(kCount + 500);
  EXPECT_TRUE(SameSamples(Part(heard, 0, kCount), a));
  EXPECT_TRUE(Silent(Part(heard, kCount, 500))) << "the sound must not loop";
}

TEST_F(Playback, HaltSilencesAndRewinds) {
  ASSERT_EQ(Load(1, Mono16Wav(a)), 1);
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(1000), Part(a, 0, 1000)));
  HaltSound(1);
  EXPECT_EQ(SoundCursor(1), 0u);
  EXPECT_TRUE(Silent(Render(500)));
  EXPECT_EQ(SoundCursor(1), 0u);
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(kCount), a)) << "halted sound restarts from its first sample";
}

TEST_F(Playback, StartRestartsPlayingAndFinishedSounds) {
  ASSERT_EQ(Load(1, Mono16Wav(a)), 1);
  ASSERT_EQ(StartSound(1), 1);
  Render(700);
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(kCount), a)) << "restart while playing";
  Render(200);
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(kCount), a)) << "start after the end";
}

TEST_F(Playback, LoadWhilePlayingSilencesTheOldSound) {
  ASSERT_EQ(Load(1, Mono16Wav(a)), 1);
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(500), Part(a, 0, 500)));
  ASSERT_EQ(Load(1, Mono16Wav(b)), 1);
  EXPECT_EQ(SoundCursor(1), 0u);
  EXPECT_TRUE(Silent(Render(500)));
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(kCount), b));
}

TEST_F(Playback, FailedLoadLeavesTheOldSoundPlaying) {
  Bytes not_riff = Mono16Wav(b);
  not_riff[0] = 'X';
  Bytes no_fmt = Mono16Wav(b);
  no_fmt[12] = 'X';
  WavFormat float_format;
  float_format.format_tag = 3;
  WavFormat no_rate;  // passes the reader; the device refuses the buffer
  no_rate.sample_rate = 0;
  const Bytes bad[] = {not_riff, no_fmt, BuildWav(float_format, PcmBytes(b)), BuildWav(no_rate, PcmBytes(b))};

  ASSERT_EQ(Load(1, Mono16Wav(a)), 1);
  ASSERT_EQ(StartSound(1), 1);
  int played = 500;
  EXPECT_TRUE(SameSamples(Render(played), Part(a, 0, played)));
  for (const Bytes &image : bad) {
    EXPECT_EQ(Load(1, image), 0);
    EXPECT_TRUE(SameSamples(Render(400), Part(a, played, 400)));
    played += 400;
  }
  EXPECT_EQ(LoadSoundImage(1, nullptr, 100), 0);
  EXPECT_EQ(SoundCursor(1), uint32_t(2 * played));
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(kCount), a)) << "the old sound can be started again";
}

TEST_F(Playback, ImageOverwrittenAndFreedAfterLoadStillPlays) {
  {
    Bytes image = Mono16Wav(a);
    ASSERT_EQ(Load(1, image), 1);
    std::fill(image.begin(), image.end(), 0x55);
  }
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(kCount), a));
}

// This device has no latency: what it has mixed has been heard. Sounds of
// 10, 50 and 100 ms, read along and mixed whole before anyone asks.
TEST_F(Playback, CursorFollowsRenderedFrames) {
  for (int frames : {441, 2205, 4410}) {
    SCOPED_TRACE(frames);
    ASSERT_EQ(Load(1, Mono16Wav(TestSamples(size_t(frames), 5))), 1);
    EXPECT_EQ(SoundCursor(1), 0u) << "loaded, not started";
    ASSERT_EQ(StartSound(1), 1);
    EXPECT_EQ(SoundCursor(1), 0u);
    Render(1);
    EXPECT_EQ(SoundCursor(1), 2u);
    Render(frames / 2 - 1);
    EXPECT_EQ(SoundCursor(1), uint32_t(2 * (frames / 2)));
    Render(frames - frames / 2 - 1);
    EXPECT_EQ(SoundCursor(1), uint32_t(2 * (frames - 1)));
    Render(1);
    EXPECT_EQ(SoundCursor(1), 0u) << "its last frame heard";
    ASSERT_EQ(StartSound(1), 1);
    Render(frames + 100);
    EXPECT_EQ(SoundCursor(1), 0u) << "mixed whole before the first question";
  }
}

TEST_F(Playback, EightBitSamplesAreUnsigned) {
  Bytes pcm = {0, 1, 127, 128, 129, 200, 255, 128};
  WavFormat f;
  f.bits_per_sample = 8;
  f.block_align = 1;
  ASSERT_EQ(Load(1, BuildWav(f, pcm)), 1);
  ASSERT_EQ(StartSound(1), 1);
  std::vector<int16_t> expected;
  for (uint8_t v : pcm) expected.push_back(int16_t((v - 128) * 256));
  EXPECT_TRUE(SameSamples(Render(int(pcm.size())), expected));
  Render(10);
  EXPECT_EQ(SoundCursor(1), 0u);
}

TEST_F(Playback, SlotsPlayAndHaltIndependently) {
  std::vector<int16_t> quiet_a, quiet_b, sum;
  for (int i = 0; i < kCount; ++i) {
    quiet_a.push_back(int16_t(a[i] / 2));
    quiet_b.push_back(int16_t(b[i] / 2));
    sum.push_back(int16_t(quiet_a[i] + quiet_b[i]));
  }
  ASSERT_EQ(Load(0, Mono16Wav(quiet_a)), 1);
  ASSERT_EQ(Load(INT32_MAX, Mono16Wav(quiet_b)), 1);
  ASSERT_EQ(StartSound(0), 1);
  ASSERT_EQ(StartSound(INT32_MAX), 1);
  EXPECT_TRUE(SameSamples(Render(500), Part(sum, 0, 500)));
  HaltSound(INT32_MAX);
  EXPECT_EQ(SoundCursor(INT32_MAX), 0u);
  EXPECT_EQ(SoundCursor(0), 1000u);
  EXPECT_TRUE(SameSamples(Render(500), Part(quiet_a, 500, 500)));
}

TEST_F(Playback, EmptyAndNegativeSlotsDoNothing) {
  ASSERT_EQ(Load(1, Mono16Wav(a)), 1);
  EXPECT_EQ(StartSound(2), 0);
  EXPECT_EQ(SoundCursor(2), 0u);
  HaltSound(2);
  EXPECT_EQ(Load(-1, Mono16Wav(b)), 0);
  EXPECT_EQ(StartSound(-1), 0);
  EXPECT_EQ(SoundCursor(-1), 0u);
  HaltSound(-1);
  HaltSound(INT32_MIN);
  EXPECT_TRUE(Silent(Render(200)));
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(kCount), a)) << "slot 1 untouched by the others";
}

// The service pauses the device while nothing plays (this device ignores
// the pause itself, which the null output test shows); a start after any
// kind of pause still plays from the very first sample.
TEST_F(Playback, StartAfterAPauseLosesNoSample) {
  ASSERT_EQ(Load(1, Mono16Wav(a)), 1);
  EXPECT_TRUE(ServicePaused()) << "nothing has played yet";
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_FALSE(ServicePaused());
  EXPECT_TRUE(SameSamples(Render(kCount), a)) << "started from the pause at start-up";

  Render(100);
  ASSERT_TRUE(WaitForServicePaused(true)) << "the end of the sound paused nothing";
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(kCount), a)) << "started from the pause at the sound's end";

  Render(100);
  ASSERT_TRUE(WaitForServicePaused(true));
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(500), Part(a, 0, 500)));
  HaltSound(1);
  EXPECT_TRUE(ServicePaused()) << "a halt left the device running";
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(kCount), a)) << "started from the pause of a halt";
}

TEST_F(Playback, InitAgainKeepsTheOpenDevice) {
  ASSERT_EQ(Load(1, Mono16Wav(a)), 1);
  EXPECT_EQ(InitSoundOutput(), 1);
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(Render(kCount), a));
}

TEST_F(Playback, ReleaseClosesContextAndDevice) {
  ASSERT_EQ(Load(1, Mono16Wav(a)), 1);
  ASSERT_EQ(Load(5, Mono16Wav(b)), 1);
  ASSERT_EQ(StartSound(1), 1);
  // The library looks a device up in its list of open ones before closing
  // it, but crashes when that list is empty: this one keeps it non-empty.
  ALCdevice *other = alcLoopbackOpenDeviceSOFT(nullptr);
  ASSERT_NE(other, nullptr);
  ReleaseSounds();
  EXPECT_EQ(alcGetCurrentContext(), nullptr);
  EXPECT_FALSE(alcCloseDevice(device)) << "the service left its device open";
  EXPECT_TRUE(alcCloseDevice(other));
  EXPECT_EQ(Load(1, Mono16Wav(a)), 0);
  EXPECT_EQ(StartSound(1), 0);
  EXPECT_EQ(SoundCursor(1), 0u);
}

TEST(StereoPlayback, SixteenBitStereoKeepsItsChannels) {
  ALCdevice *device = StartServiceOnLoopback(2);
  ASSERT_NE(device, nullptr);
  std::vector<int16_t> frames = TestSamples(2 * kCount, 33);
  Bytes image = Stereo16Wav(frames);
  ASSERT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 1);
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_TRUE(SameSamples(RenderFrames(device, 1000, 2), Part(frames, 0, 2000)));
  EXPECT_EQ(SoundCursor(1), 4000u);
  EXPECT_TRUE(SameSamples(RenderFrames(device, kCount - 1000, 2), Part(frames, 2000, 2 * kCount - 2000)));
  ReleaseSounds();
}

// On an output with more than two speakers the library would place the two
// channels around the listener and bleed them into the others.
TEST(StereoPlayback, StereoGoesStraightToTheFrontPairOfSurroundOutput) {
  ALCdevice *device = StartServiceOnLoopback(6);
  ASSERT_NE(device, nullptr);
  std::vector<int16_t> frames = TestSamples(2 * kCount, 55);
  Bytes image = Stereo16Wav(frames);
  ASSERT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 1);
  ASSERT_EQ(StartSound(1), 1);
  std::vector<int16_t> expected(6 * kCount, 0);
  for (int i = 0; i < kCount; ++i) {
    expected[6 * i] = frames[2 * i];
    expected[6 * i + 1] = frames[2 * i + 1];
  }
  EXPECT_TRUE(SameSamples(RenderFrames(device, kCount, 6), expected));
  ReleaseSounds();
}

// A program may use OpenAL for something else; a release without an init
// must not touch it.
TEST(ReleaseWithoutInit, LeavesOtherOpenAlUseAlone) {
  ALCdevice *device = alcLoopbackOpenDeviceSOFT(nullptr);
  ASSERT_NE(device, nullptr);
  const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_MONO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                               ALC_FREQUENCY, 44100, ALC_OUTPUT_LIMITER_SOFT, ALC_FALSE, 0};
  ALCcontext *context = alcCreateContext(device, attributes);
  ASSERT_TRUE(alcMakeContextCurrent(context));
  std::vector<int16_t> samples = TestSamples(kCount, 44);
  ALuint buffer = 0, source = 0;
  alGenBuffers(1, &buffer);
  alBufferData(buffer, AL_FORMAT_MONO16, samples.data(), ALsizei(2 * kCount), 44100);
  alGenSources(1, &source);
  alSourcei(source, AL_BUFFER, ALint(buffer));
  alSourcePlay(source);

  ReleaseSounds();

  EXPECT_EQ(alcGetCurrentContext(), context);
  EXPECT_TRUE(SameSamples(RenderFrames(device, kCount, 1), samples));
  EXPECT_EQ(StartSound(1), 0);
  alDeleteSources(1, &source);
  alDeleteBuffers(1, &buffer);
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(context);
  EXPECT_TRUE(alcCloseDevice(device));
}

}  // namespace

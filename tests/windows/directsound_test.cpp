// The playback service on DirectSound, under wine: "Device.*" with the
// session's PulseAudio server and its null sink, "NoDevice.*" with no
// server at all (scripts/test-windows runs each so). Positions are the
// device's own, so every check waits for the state it checks.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "sound.h"
#include "wav_builder.h"

namespace {

bool WaitUntil(const std::function<bool()> &done, DWORD pause_ms = 2) {
  ULONGLONG give_up = GetTickCount64() + 10000;
  while (!done()) {
    if (GetTickCount64() > give_up) return false;
    Sleep(pause_ms);
  }
  return true;
}

// Half a second of full-scale noise.
const Bytes &HalfSecond() {
  static Bytes image = Mono16Wav(TestSamples(22050, 7));
  return image;
}

int32_t Load(int32_t slot, const Bytes &image) {
  return LoadSoundImage(slot, image.data(), static_cast<uint32_t>(image.size()));
}

// The distinct cursors of slot 1 over one play, from its rise until it is
// 0 again; empty, with `why` set, when it does not rise or end in time.
// While the cursor is 0 it is asked without a pause: a 40-sample sound is
// over in under a millisecond, and a sleep under wine may take ten. A
// thread that lost its core for the whole of a short sound saw no rise:
// that play is started again, a few times.
std::vector<uint32_t> CursorsOfOnePlay(const char **why) {
  uint32_t cursor = 0;
  for (int play = 0; play < 4 && cursor == 0; ++play) {
    *why = "the start was refused";
    if (StartSound(1) != 1) return {};
    WaitUntil([&] { return (cursor = SoundCursor(1)) > 0; }, 0);
  }
  *why = "the cursor never rose";
  if (cursor == 0) return {};
  std::vector<uint32_t> seen{cursor};
  *why = "the cursor rose and never came back to 0";
  bool ended = WaitUntil([&] {
    cursor = SoundCursor(1);
    if (cursor != seen.back()) seen.push_back(cursor);
    return cursor == 0;
  });
  return ended ? seen : std::vector<uint32_t>();
}

// Before InitSoundOutput nothing is open and nothing is released.
TEST(Device, CallsBeforeInitDoNothing) {
  ReleaseSounds();
  EXPECT_EQ(Load(1, HalfSecond()), 0);
  EXPECT_EQ(StartSound(1), 0);
  EXPECT_EQ(SoundCursor(1), 0u);
  EXPECT_EQ(SoundSlotLimit(), 0);
}

// The device's cooperative level hangs on a hidden window of the service's
// own, made once and kept.
TEST(Device, OpensOnAHiddenOwnerWindow) {
  ASSERT_NE(InitSoundOutput(), 0);
  EXPECT_NE(InitSoundOutput(), 0);  // opens nothing new
  EXPECT_EQ(SoundSlotLimit(), 1024);
  HWND owner = FindWindowA("MultimediaBase Class", "");
  ASSERT_NE(owner, nullptr);
  DWORD process = 0;
  GetWindowThreadProcessId(owner, &process);
  EXPECT_EQ(process, GetCurrentProcessId());
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(owner, GWL_STYLE)) & WS_POPUP, static_cast<DWORD>(WS_POPUP));
  RECT rect;
  GetWindowRect(owner, &rect);
  EXPECT_EQ(rect.right - rect.left, 1);
  EXPECT_EQ(rect.bottom - rect.top, 1);
  ReleaseSounds();
  ASSERT_NE(InitSoundOutput(), 0);  // a fresh device after a release
  EXPECT_EQ(FindWindowA("MultimediaBase Class", ""), owner);
  ReleaseSounds();
}

// A started sound's position rises while it plays and is 0 again when it
// is halted, has played to its end, or was replaced by a load; a start on
// a playing sound restarts it; empty slots and refused loads change nothing.
TEST(Device, SlotsLoadStartHaltAndReport) {
  ASSERT_NE(InitSoundOutput(), 0);
  EXPECT_EQ(StartSound(3), 0);
  HaltSound(3);
  EXPECT_EQ(SoundCursor(3), 0u);
  EXPECT_EQ(Load(-1, HalfSecond()), 0);

  ASSERT_NE(Load(1, HalfSecond()), 0);
  EXPECT_EQ(SoundCursor(1), 0u);  // loaded, not started
  ASSERT_EQ(StartSound(1), 1);
  ASSERT_TRUE(WaitUntil([] { return SoundCursor(1) > 8820; }));  // past 0.1 s
  ASSERT_EQ(StartSound(1), 1);
  EXPECT_LT(SoundCursor(1), 8820u) << "a start did not restart the sound";
  HaltSound(1);
  EXPECT_EQ(SoundCursor(1), 0u);

  // Refused images leave the playing sound as it was.
  ASSERT_EQ(StartSound(1), 1);
  Bytes not_riff = HalfSecond();
  not_riff[0] = 'X';
  Bytes no_fmt = HalfSecond();
  no_fmt[12] = 'X';
  EXPECT_EQ(Load(1, not_riff), 0);
  EXPECT_EQ(Load(1, no_fmt), 0);
  EXPECT_EQ(LoadSoundImage(1, nullptr, 100), 0);
  EXPECT_TRUE(WaitUntil([] { return SoundCursor(1) > 4410; }));

  // A load replaces it, silent until started; the caller's image may go.
  // Its cursor, however short the sound, rises in whole frames below the
  // data size, never runs back, and is 0 again once the sound is over.
  for (size_t samples : {4410, 441, 40}) {
    SCOPED_TRACE(samples);
    {
      Bytes image = Mono16Wav(TestSamples(samples, 9));
      ASSERT_NE(Load(1, image), 0);
    }
    EXPECT_EQ(SoundCursor(1), 0u);
    const char *why = "";
    std::vector<uint32_t> cursors = CursorsOfOnePlay(&why);
    ASSERT_FALSE(cursors.empty()) << why;
    for (size_t k = 0; k + 1 < cursors.size(); ++k) {
      if (k > 0) {
        EXPECT_GT(cursors[k], cursors[k - 1]);
      }
      EXPECT_LT(cursors[k], samples * 2);
      EXPECT_EQ(cursors[k] % 2, 0u);
    }
    EXPECT_EQ(SoundCursor(1), 0u);
    std::printf("%zu-sample sound: cursor peak %u of %zu bytes over %zu positions\n", samples,
                *std::max_element(cursors.begin(), cursors.end()), samples * 2, cursors.size() - 1);
  }
  ReleaseSounds();
  EXPECT_EQ(StartSound(1), 0);
  EXPECT_EQ(SoundSlotLimit(), 0);
}

// Up to the limit every new slot loads; beyond it only the loaded ones
// reload. Stereo and 8-bit images load too.
TEST(Device, SlotLimitHoldsNewSlotsOnly) {
  ReleaseSounds();  // whatever a failed test before left loaded
  ASSERT_NE(InitSoundOutput(), 0);
  Bytes stereo = Stereo16Wav(TestSamples(200, 3));
  WavFormat eight_bit;
  eight_bit.bits_per_sample = 8;
  eight_bit.block_align = 1;
  Bytes small = BuildWav(eight_bit, Bytes(100, 128));
  const int32_t limit = SoundSlotLimit();
  for (int32_t slot = 0; slot < limit; ++slot) {
    ASSERT_NE(Load(slot * 7, slot % 2 ? stereo : small), 0) << "slot " << slot * 7;
  }
  EXPECT_EQ(Load(limit * 7, small), 0);
  EXPECT_NE(Load(7, small), 0);
  ReleaseSounds();
}

// No server, so no device: every call works and nothing plays.
TEST(NoDevice, EveryCallWorksAndNothingPlays) {
  ULONGLONG asked = GetTickCount64();
  EXPECT_EQ(InitSoundOutput(), 0);
  std::printf("InitSoundOutput without a device returned in %llu ms\n", GetTickCount64() - asked);
  EXPECT_EQ(InitSoundOutput(), 0);
  EXPECT_EQ(SoundSlotLimit(), 0);
  EXPECT_EQ(Load(1, HalfSecond()), 0);
  EXPECT_EQ(StartSound(1), 0);
  HaltSound(1);
  EXPECT_EQ(SoundCursor(1), 0u);
  ReleaseSounds();
  ReleaseSounds();
}

}  // namespace

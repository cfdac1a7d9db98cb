// Play position of a slot: the byte of its PCM data being heard right now.
//
// DirectSound tells the play cursor of a buffer that plays, which
// DSBCAPS_GETCURRENTPOSITION2 asks to follow what is heard, and tells when
// the buffer has stopped at its end; it tells no output latency. Its
// mixer moves the cursor in steps of whole mixing periods (10 ms), and a
// short sound may be mixed whole before anyone asks. So the heard position
// runs on in real time, held within one period of what the device tells:
// the cursor while the buffer plays, the sound's end once it has stopped;
// and while the device still plays the buffer the sound is not over.
#include <windows.h>

#include <algorithm>

#include "sound.h"
#include "sound_state.h"

namespace wubble {

namespace {

constexpr double kPeriodSeconds = 0.01;

int64_t SteadyNs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<int64_t>(double(now.QuadPart) * 1e9 / double(frequency.QuadPart));
}

// Whether the device still plays the sound, and where it says the sound
// is, in frames: its end once it has stopped, since a halt or a load ends
// the play on this side first.
bool DevicePlays(const SoundSlot &sound, double *told) {
  DWORD status = 0, play = 0;
  *told = sound.frames;
  if (FAILED(sound.buffer->GetStatus(&status)) || !(status & DSBSTATUS_PLAYING)) return false;
  if (FAILED(sound.buffer->GetCurrentPosition(&play, nullptr))) return false;
  *told = double(play / sound.block_align);
  return true;
}

}  // namespace

void MarkPlayStart(SoundSlot &sound) {
  sound.started = true;
  sound.last_cursor = 0;
  sound.heard_frames = 0;
  sound.heard_at_ns = SteadyNs();
}

}  // namespace wubble

using namespace wubble;

uint32_t SoundCursor(int32_t slot) {
  SoundSlot *sound = FindSoundSlot(slot);
  if (sound == nullptr || !sound->started || sound->frames == 0) return 0;
  double told = 0;
  bool plays = DevicePlays(*sound, &told);
  int64_t now = SteadyNs();
  double slack = kPeriodSeconds * sound->sample_rate;
  double heard = sound->heard_frames + double(now - sound->heard_at_ns) * sound->sample_rate / 1e9;
  heard = std::min(std::max(heard, told - slack), told + slack);
  if (plays) heard = std::min(heard, sound->frames - 1.0);
  sound->heard_frames = heard;
  sound->heard_at_ns = now;
  // Half a frame covers the clock's rounding.
  if (heard + 0.5 >= sound->frames) {
    sound->started = false;
    return 0;
  }
  uint32_t cursor = (heard <= 0 ? 0 : uint32_t(heard)) * sound->block_align;
  cursor = std::max(cursor, sound->last_cursor);
  sound->last_cursor = cursor;
  return cursor;
}

// Play position of a slot: the byte of its PCM data being heard right now.
// What the device mixes at a moment of its clock is heard one output
// latency later, so a sound is heard for that long after its mixing has
// ended, and a short sound may be mixed whole before anyone asks.
//
// The device tells its facts in steps of whole mixing updates: how far the
// sound is mixed, how far its clock has run since, and the latency; what
// they tell is heard comes in the same steps, and a device that mixes late
// catches up in bursts. So the heard position runs on in real time, held
// within one update (and never more than the latency) of what the device
// tells, and never past what has been mixed. On a device that mixes only
// when asked (a loopback device, no latency) it is exactly what the device
// tells.
#include <algorithm>
#include <chrono>

#include "sound.h"
#include "sound_context.h"
#include "sound_state.h"

namespace wubble {

namespace {

struct DeviceTime {
  int64_t clock_ns;    // how far the device has mixed
  int64_t latency_ns;  // from the mix to the speaker
};

int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Without the device clock the steady clock stands in, and the latency, where
// known, comes from the source.
DeviceTime ReadDeviceTime(ALuint source) {
  if (sound_output.get_device_integer64 != nullptr) {
    ALCint64SOFT clock_latency[2] = {0, 0};
    sound_output.get_device_integer64(sound_output.device, ALC_DEVICE_CLOCK_LATENCY_SOFT, 2, clock_latency);
    return DeviceTime{clock_latency[0], clock_latency[1]};
  }
  DeviceTime now{SteadyNs(), 0};
  if (sound_output.get_offset_latency != nullptr) {
    ALint64SOFT offset_latency[2] = {0, 0};
    sound_output.get_offset_latency(source, AL_SAMPLE_OFFSET_LATENCY_SOFT, offset_latency);
    now.latency_ns = offset_latency[1];
  }
  return now;
}

// The sound's mixed position and the clock it belongs to, read together
// where the library can.
void MarkPlayPosition(SoundSlot &sound) {
  if (sound_output.get_device_integer64 != nullptr && sound_output.get_offset_latency != nullptr) {
    ALint64SOFT offset_clock[2] = {0, 0};  // 32.32 fixed-point frames, nanoseconds
    sound_output.get_offset_latency(sound.source, AL_SAMPLE_OFFSET_CLOCK_SOFT, offset_clock);
    sound.mark_frames = double(offset_clock[0]) / 4294967296.0;
    sound.mark_clock_ns = offset_clock[1];
    return;
  }
  ALint offset = 0;
  alGetSourcei(sound.source, AL_SAMPLE_OFFSET, &offset);
  sound.mark_frames = offset;
  sound.mark_clock_ns = ReadDeviceTime(sound.source).clock_ns;
}

// Frames heard by now: negative before the first, `frames` once the last
// has been heard.
double HeardFrames(SoundSlot &sound, bool mixing) {
  DeviceTime device = ReadDeviceTime(sound.source);
  int64_t now = SteadyNs();
  double per_ns = sound.sample_rate / 1e9;
  double latency = double(device.latency_ns) * per_ns;
  double told = sound.mark_frames + double(device.clock_ns - sound.mark_clock_ns) * per_ns - latency;
  double slack = std::min(double(sound_output.update_ns) * per_ns, latency);
  double heard = sound.heard_frames + double(now - sound.heard_at_ns) * per_ns;
  heard = std::min(std::max(heard, told - slack), told + slack);
  heard = std::min(heard, mixing ? sound.mark_frames : double(sound.frames));
  sound.heard_frames = heard;
  sound.heard_at_ns = now;
  return heard;
}

}  // namespace

// The first frame is mixed from now on and heard one latency later.
void MarkPlayStart(SoundSlot &sound) {
  sound.started = true;
  sound.last_cursor = 0;
  MarkPlayPosition(sound);
  sound.heard_frames = -double(ReadDeviceTime(sound.source).latency_ns) * sound.sample_rate / 1e9;
  sound.heard_at_ns = SteadyNs();
}

}  // namespace wubble

using namespace wubble;

// A paused device has nothing left to play.
uint32_t SoundCursor(int32_t slot) {
  std::lock_guard<std::mutex> hold(sound_lock);
  SoundSlot *sound = FindSoundSlot(slot);
  if (sound == nullptr || !sound->started || sound->frames == 0 || !SoundDeviceReady()) return 0;
  SoundContextScope scope;
  ALint state = AL_STOPPED;
  alGetSourcei(sound->source, AL_SOURCE_STATE, &state);
  bool mixing = state == AL_PLAYING;
  if (mixing) MarkPlayPosition(*sound);
  bool gone = !mixing && (state != AL_STOPPED || sound_output.paused);
  double heard = gone ? sound->frames : HeardFrames(*sound, mixing);
  // Half a frame covers the clock's rounding to whole nanoseconds.
  if (heard + 0.5 >= sound->frames) {
    sound->started = false;
    return 0;
  }
  uint32_t cursor = (heard <= 0 ? 0 : uint32_t(heard)) * sound->block_align;
  if (cursor < sound->last_cursor) cursor = sound->last_cursor;
  sound->last_cursor = cursor;
  return cursor;
}

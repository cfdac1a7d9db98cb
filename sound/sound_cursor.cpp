// Play position of a slot: the byte of its PCM data being heard right now.
#include "sound.h"
#include "sound_context.h"
#include "sound_state.h"

namespace wubble {

namespace {

// What has been mixed, less what is still on its way to the speaker, in
// frames of the sound. Without the latency extension the mixed position is
// the best there is.
double HeardFrames(const SoundSlot &sound) {
  if (sound_output.get_offset_latency == nullptr) {
    ALint offset = 0;
    alGetSourcei(sound.source, AL_SAMPLE_OFFSET, &offset);
    return offset;
  }
  ALint64SOFT offset_latency[2] = {0, 0};  // 32.32 fixed-point frames, nanoseconds
  sound_output.get_offset_latency(sound.source, AL_SAMPLE_OFFSET_LATENCY_SOFT, offset_latency);
  double mixed = double(offset_latency[0] >> 32);
  return mixed - double(offset_latency[1]) * sound.sample_rate / 1e9;
}

}  // namespace

}  // namespace wubble

using namespace wubble;

// A sound that has played to its end, or never started, is at 0.
uint32_t SoundCursor(int32_t slot) {
  std::lock_guard<std::mutex> hold(sound_lock);
  SoundSlot *sound = FindSoundSlot(slot);
  if (sound == nullptr || !SoundDeviceReady()) return 0;
  SoundContextScope scope;
  ALint state = AL_STOPPED;
  alGetSourcei(sound->source, AL_SOURCE_STATE, &state);
  if (state != AL_PLAYING) return 0;
  double frames = HeardFrames(*sound);
  if (frames <= 0) return 0;
  return uint32_t(frames) * sound->block_align;
}

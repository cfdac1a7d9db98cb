// Slot side of the playback service: loading, starting and halting sounds.
#include "sound.h"
#include "sound_context.h"
#include "sound_idle.h"
#include "sound_state.h"
#include "wav_reader.h"

namespace wubble {

namespace {

ALenum BufferFormat(const SoundImageView &view) {
  if (view.channels == 1) return view.bits_per_sample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
  return view.bits_per_sample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

// The device keeps its own copy of the PCM bytes, so the caller's image is
// free to go as soon as this returns. 0 when the device refuses.
ALuint CreateFilledBuffer(const SoundImageView &view) {
  alGetError();
  ALuint buffer = 0;
  alGenBuffers(1, &buffer);
  if (alGetError() != AL_NO_ERROR) return 0;
  alBufferData(buffer, BufferFormat(view), view.pcm, ALsizei(view.pcm_bytes), ALsizei(view.sample_rate));
  if (alGetError() == AL_NO_ERROR) return buffer;
  alDeleteBuffers(1, &buffer);
  return 0;
}

// Sounds play as they were made: centred on the listener whatever it does,
// stereo channels straight to the outputs, once.
ALuint CreatePlainSource() {
  alGetError();
  ALuint source = 0;
  alGenSources(1, &source);
  if (alGetError() != AL_NO_ERROR) return 0;
  alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
  alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
  alSourcei(source, AL_LOOPING, AL_FALSE);
  if (sound_output.direct_channels) alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
  return source;
}

}  // namespace

SoundSlot *FindSoundSlot(int32_t slot) {
  auto found = sound_output.slots.find(slot);
  return found == sound_output.slots.end() ? nullptr : &found->second;
}

}  // namespace wubble

using namespace wubble;

// Everything that can fail happens before the slot's old sound is touched, so
// a failed load leaves that sound loaded and, if it was playing, playing.
int32_t LoadSoundImage(int32_t slot, const uint8_t *image, uint32_t length) {
  std::lock_guard<std::mutex> hold(sound_lock);
  if (slot < 0 || !SoundDeviceReady()) return 0;
  SoundImageView view;
  if (!ReadSoundImage(image, length, &view)) return 0;
  SoundContextScope scope;
  ALuint buffer = CreateFilledBuffer(view);
  if (buffer == 0) return 0;
  SoundSlot *old = FindSoundSlot(slot);
  ALuint source = old != nullptr ? old->source : CreatePlainSource();
  if (source == 0) {
    alDeleteBuffers(1, &buffer);
    return 0;
  }

  alSourceRewind(source);  // the old sound falls silent here
  alSourcei(source, AL_BUFFER, ALint(buffer));
  if (old != nullptr) alDeleteBuffers(1, &old->buffer);
  SoundSlot loaded;
  loaded.buffer = buffer;
  loaded.source = source;
  loaded.block_align = view.block_align;
  loaded.sample_rate = view.sample_rate;
  loaded.frames = view.pcm_bytes / view.block_align;
  sound_output.slots[slot] = loaded;
  PauseWhenSilent();
  return 1;
}

int32_t StartSound(int32_t slot) {
  std::lock_guard<std::mutex> hold(sound_lock);
  SoundSlot *sound = FindSoundSlot(slot);
  if (sound == nullptr || !SoundDeviceReady()) return 0;
  SoundContextScope scope;
  ResumeForStart();
  if (!SoundDeviceReady()) return 0;  // a device lost while paused shows here
  alGetError();
  alSourceRewind(sound->source);
  sound->started = false;
  alSourcePlay(sound->source);
  if (alGetError() == AL_NO_ERROR) {
    sound_output.starts++;
    MarkPlayStart(*sound);
    return 1;
  }
  PauseWhenSilent();
  return 0;
}

void HaltSound(int32_t slot) {
  std::lock_guard<std::mutex> hold(sound_lock);
  SoundSlot *sound = FindSoundSlot(slot);
  if (sound == nullptr) return;
  SoundContextScope scope;
  alSourceRewind(sound->source);
  sound->started = false;
  PauseWhenSilent();
}

// Slot side of the playback service on DirectSound: each sound in a static
// secondary buffer of its own.
#include "sound.h"
#include "sound_state.h"
#include "wav_reader.h"

#include <cstring>

namespace wubble {
namespace {

// Static, with the controls DirectSound programs expect, heard while
// another program has the focus, and a play position that follows what is
// heard rather than what is mixed.
constexpr DWORD kBufferFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN |
                               DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS |
                               DSBCAPS_GETCURRENTPOSITION2;  // 0x180E2

WAVEFORMATEX FormatOf(const SoundImageView &view) {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = view.channels;
  format.nSamplesPerSec = view.sample_rate;
  format.nBlockAlign = view.block_align;
  format.nAvgBytesPerSec = view.sample_rate * view.block_align;
  format.wBitsPerSample = view.bits_per_sample;
  return format;
}

IDirectSoundBuffer *CreateBuffer(const SoundImageView &view) {
  WAVEFORMATEX format = FormatOf(view);
  DSBUFFERDESC description = {};
  description.dwSize = sizeof description;
  description.dwFlags = kBufferFlags;
  description.dwBufferBytes = view.pcm_bytes;
  description.lpwfxFormat = &format;
  IDirectSoundBuffer *buffer = nullptr;
  if (FAILED(sound_output.device->CreateSoundBuffer(&description, &buffer, nullptr))) return nullptr;
  return buffer;
}

void Rewind(IDirectSoundBuffer *buffer) {
  buffer->Stop();
  buffer->SetCurrentPosition(0);
}

}  // namespace
}  // namespace wubble

using namespace wubble;

// The new buffer is made and filled before the slot's old sound is touched,
// so a load that fails leaves that sound loaded and, if it was playing,
// playing.
int32_t LoadSoundImage(int32_t slot, const uint8_t *image, uint32_t length) {
  if (slot < 0 || sound_output.device == nullptr) return 0;
  SoundImageView view;
  if (!ReadSoundImage(image, length, &view)) return 0;
  SoundSlot *old = FindSoundSlot(slot);
  if (old == nullptr && sound_output.slots.size() >= static_cast<size_t>(kSlotLimit)) return 0;
  IDirectSoundBuffer *buffer = CreateBuffer(view);
  if (buffer == nullptr) return 0;
  void *region = nullptr;
  DWORD region_bytes = 0;
  if (FAILED(buffer->Lock(0, view.pcm_bytes, &region, &region_bytes, nullptr, nullptr, 0)) ||
      region_bytes < view.pcm_bytes) {
    buffer->Release();
    return 0;
  }
  std::memcpy(region, view.pcm, view.pcm_bytes);
  if (old != nullptr) old->buffer->Release();  // the old sound falls silent here
  SoundSlot loaded;
  loaded.buffer = buffer;
  loaded.block_align = view.block_align;
  loaded.sample_rate = view.sample_rate;
  loaded.frames = view.pcm_bytes / view.block_align;
  sound_output.slots[slot] = loaded;
  buffer->Unlock(region, region_bytes, nullptr, 0);
  return 1;
}

int32_t StartSound(int32_t slot) {
  SoundSlot *sound = FindSoundSlot(slot);
  if (sound == nullptr) return 0;
  Rewind(sound->buffer);
  sound->started = false;
  if (FAILED(sound->buffer->Play(0, 0, 0))) return 0;  // once, no DSBPLAY_LOOPING
  MarkPlayStart(*sound);
  return 1;
}

void HaltSound(int32_t slot) {
  SoundSlot *sound = FindSoundSlot(slot);
  if (sound == nullptr) return;
  Rewind(sound->buffer);
  sound->started = false;
}

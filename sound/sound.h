// The playback service: numbered sound slots loaded from in-memory WAV
// images, played once on the default audio output. Every call is safe with
// no audio device: loads fail (0), positions are 0, nothing crashes.
#pragma once
#include <cstdint>

int32_t InitSoundOutput();
int32_t LoadSoundImage(int32_t slot, const uint8_t *image, uint32_t length);
int32_t StartSound(int32_t slot);
void HaltSound(int32_t slot);
uint32_t SoundCursor(int32_t slot);  // play position in bytes of PCM data
void ReleaseSounds();

// The playback service: numbered sound slots loaded from in-memory WAV
// images, played once on the default audio output. Every call is safe with
// no audio device: loads fail (0), positions are 0, nothing crashes.
//
// InitSoundOutput, SoundSlotLimit, LoadSoundImage, StartSound, HaltSound,
// SoundCursor and ReleaseSounds are declared, with C linkage, in the public
// header, which states the contract every binding of the service keeps.
// In short:
// - LoadSoundImage reads the image with ReadSoundImage (wav_reader.h), the
//   one loader of every binding, and copies its PCM bytes into a buffer of
//   the device's; the caller's image may go at once. Everything that can
//   fail comes before the slot's old sound is touched, so a failed load
//   leaves the slot as it was, playing or not.
// - StartSound plays from the first frame, once, restarting a sound that
//   plays; HaltSound stops it and sets it back to its start.
// - SoundCursor tells what is heard, not what is mixed: 0 until the first
//   frame is heard, rising, below the data size, and 0 again only once the
//   last frame has been heard through the output's latency; 0 after a halt
//   or load and for an empty slot.
// - Without a device, and after losing it, every call works: loads fail,
//   starts return 0, cursors are 0.
// The OpenAL binding (the files here) works on the service's own OpenAL
// context (sound_context.h); the DirectSound binding of Windows
// (directsound/) on a device object and an owner window of its own.
#pragma once
#include "wubble.h"

// The playback service: numbered sound slots loaded from in-memory WAV
// images, played once on the default audio output. Every call is safe with
// no audio device: loads fail (0), positions are 0, nothing crashes.
//
// InitSoundOutput, SoundSlotLimit, LoadSoundImage, StartSound, HaltSound,
// SoundCursor and ReleaseSounds are declared, with C linkage, in the public
// header. Each works on the service's own OpenAL context (sound_context.h).
#pragma once
#include "wubble.h"

// The DirectSound binding's one set of globals, shared by its files.
#pragma once
#include <windows.h>
#include <dsound.h>

#include <cstdint>
#include <map>

namespace wubble {

struct SoundSlot {
  IDirectSoundBuffer *buffer = nullptr;
  uint32_t block_align = 0;
  uint32_t sample_rate = 0;
  uint32_t frames = 0;  // of the sound
  // From a start until the last frame has been heard (sound_cursor.cpp).
  bool started = false;
  double heard_frames = 0;  // the frames heard, as last estimated ...
  int64_t heard_at_ns = 0;  // ... at this moment of the steady clock
  uint32_t last_cursor = 0;  // within one play the cursor never runs back
};

struct SoundOutput {
  bool started = false;           // between InitSoundOutput and ReleaseSounds
  HMODULE library = nullptr;      // DSOUND.DLL, null when it could not be loaded
  IDirectSound *device = nullptr;  // null when the service runs silent
  std::map<int32_t, SoundSlot> slots;  // ordered, so release goes by ascending slot
};

extern SoundOutput sound_output;

// DirectSound mixes in software and sets no count of its own; a limit keeps
// a runaway caller from taking all memory, as OpenAL's source count does.
constexpr int32_t kSlotLimit = 1024;

// The hidden window the device's cooperative level is tied to, made on the
// first call and kept until the process ends; null when it cannot be made.
HWND SoundOwnerWindow();

// The loaded sound of `slot`, or null for an empty or negative slot.
SoundSlot *FindSoundSlot(int32_t slot);

// Right after a start that the device accepted: from here on SoundCursor
// follows the sound until its last frame has been heard.
void MarkPlayStart(SoundSlot &sound);

}  // namespace wubble

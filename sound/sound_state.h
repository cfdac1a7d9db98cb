// The service's one set of globals, shared by its source files.
#pragma once
#include <cstdint>
#include <map>

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

struct SoundSlot {
  ALuint buffer;
  ALuint source;
  uint32_t block_align;
  uint32_t sample_rate;
};

struct SoundOutput {
  bool started = false;  // between InitSoundOutput and ReleaseSounds
  ALCdevice *device = nullptr;  // null when the service runs silent
  ALCcontext *context = nullptr;
  bool can_disconnect = false;
  bool direct_channels = false;
  int32_t slot_limit = 0;  // sources the context gives, one a slot
  LPALGETSOURCEI64VSOFT get_offset_latency = nullptr;  // null without the latency extension
  // Both null without the thread-context extension; the service then swaps
  // the process-wide context for the length of each call.
  PFNALCGETTHREADCONTEXTPROC get_thread_context = nullptr;
  PFNALCSETTHREADCONTEXTPROC set_thread_context = nullptr;
  std::map<int32_t, SoundSlot> slots;  // ordered, so release goes by ascending slot
};

extern SoundOutput sound_output;

// True while a device is open and has not gone away.
bool SoundDeviceReady();

// The loaded sound of `slot`, or null for an empty or negative slot.
SoundSlot *FindSoundSlot(int32_t slot);

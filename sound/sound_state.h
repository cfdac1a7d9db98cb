// The service's one set of globals, shared by its source files.
#pragma once
#include <cstdint>
#include <map>
#include <mutex>

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

namespace wubble {

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
  // All null where the device cannot pause; it then runs until released.
  LPALCDEVICEPAUSESOFT pause_device = nullptr;
  LPALCDEVICERESUMESOFT resume_device = nullptr;
  LPALCGETINTEGER64VSOFT get_device_integer64 = nullptr;  // for the output latency
  bool paused = false;  // the service has asked the device to pause
  bool watches_ends = false;  // the audio library tells when a sound ends
  std::map<int32_t, SoundSlot> slots;  // ordered, so release goes by ascending slot
};

extern SoundOutput sound_output;

// Held by every call of the service, and by the audio library's event
// thread while it decides on a pause: the two meet over `slots` and
// `paused`.
extern std::mutex sound_lock;

// True while a device is open and has not gone away.
bool SoundDeviceReady();

// The loaded sound of `slot`, or null for an empty or negative slot.
SoundSlot *FindSoundSlot(int32_t slot);

}  // namespace wubble

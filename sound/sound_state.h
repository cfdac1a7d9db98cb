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
  ALuint buffer = 0;
  ALuint source = 0;
  uint32_t block_align = 0;
  uint32_t sample_rate = 0;
  uint32_t frames = 0;  // of the sound
  // From a start until the last frame has been heard (sound_cursor.cpp).
  bool started = false;
  double mark_frames = 0;     // the sound's mixed position ...
  int64_t mark_clock_ns = 0;  // ... at this moment of the device clock
  double heard_frames = 0;    // the frames heard, as last estimated ...
  int64_t heard_at_ns = 0;    // ... at this moment of the steady clock
  uint32_t last_cursor = 0;   // within one play the cursor never runs back
};

struct SoundOutput {
  bool started = false;  // between InitSoundOutput and ReleaseSounds
  ALCdevice *device = nullptr;  // null when the service runs silent
  ALCcontext *context = nullptr;
  bool can_disconnect = false;
  bool direct_channels = false;
  int32_t slot_limit = 0;  // sources the context gives, one a slot
  int64_t update_ns = 0;   // the length of one mixing update
  LPALGETSOURCEI64VSOFT get_offset_latency = nullptr;  // null without the latency extension
  LPALCGETINTEGER64VSOFT get_device_integer64 = nullptr;  // the device clock and latency, or null
  // Both null without the thread-context extension; the service then swaps
  // the process-wide context for the length of each call.
  PFNALCGETTHREADCONTEXTPROC get_thread_context = nullptr;
  PFNALCSETTHREADCONTEXTPROC set_thread_context = nullptr;
  // All null where the device cannot pause; it then runs until released.
  LPALCDEVICEPAUSESOFT pause_device = nullptr;
  LPALCDEVICERESUMESOFT resume_device = nullptr;
  bool paused = false;  // the service has asked the device to pause
  uint64_t starts = 0;  // sounds started so far
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

// Right after a start that the device accepted: from here on SoundCursor
// follows the sound until its last frame has been heard.
void MarkPlayStart(SoundSlot &sound);

}  // namespace wubble

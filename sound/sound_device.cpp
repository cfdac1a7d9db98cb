// Device side of the playback service: opening, readiness, release.
#include <vector>

#include "sound.h"
#include "sound_context.h"
#include "sound_device.h"
#include "sound_idle.h"
#include "sound_state.h"

namespace wubble {

SoundOutput sound_output;

namespace {

// One source a slot. The audio library's own default is 256.
const ALCint kWantedSlots = 1024;

void CloseUnusedDevice(ALCdevice *device) {
  if (device != nullptr) alcCloseDevice(device);
}

// The caller's attributes with room for the slots added: every source may
// hold mono or stereo, so they are all asked for as mono and none kept
// apart for stereo.
std::vector<ALCint> WithSlotRoom(const ALCint *attributes) {
  std::vector<ALCint> out;
  for (const ALCint *at = attributes; at != nullptr && at[0] != 0; at += 2) {
    out.push_back(at[0]);
    out.push_back(at[1]);
  }
  out.insert(out.end(), {ALC_MONO_SOURCES, kWantedSlots, ALC_STEREO_SOURCES, 0, 0});
  return out;
}

// Runs on the service's own context.
void LearnExtensions() {
  sound_output.can_disconnect = alcIsExtensionPresent(sound_output.device, "ALC_EXT_disconnect");
  sound_output.direct_channels = alIsExtensionPresent("AL_SOFT_direct_channels");
  if (alIsExtensionPresent("AL_SOFT_source_latency")) {
    sound_output.get_offset_latency =
        reinterpret_cast<LPALGETSOURCEI64VSOFT>(alGetProcAddress("alGetSourcei64vSOFT"));
  }
  if (alcIsExtensionPresent(sound_output.device, "ALC_SOFT_device_clock")) {
    sound_output.get_device_integer64 =
        reinterpret_cast<LPALCGETINTEGER64VSOFT>(alcGetProcAddress(sound_output.device, "alcGetInteger64vSOFT"));
  }
  // A configured source count may well stand above or below what was asked.
  ALCint mono = 0, stereo = 0;
  alcGetIntegerv(sound_output.device, ALC_MONO_SOURCES, 1, &mono);
  alcGetIntegerv(sound_output.device, ALC_STEREO_SOURCES, 1, &stereo);
  sound_output.slot_limit = mono + stereo;
  ALCint refresh = 0;  // updates a second
  alcGetIntegerv(sound_output.device, ALC_REFRESH, 1, &refresh);
  if (refresh > 0) sound_output.update_ns = 1000000000 / refresh;
}

}  // namespace

bool SoundDeviceReady() {
  if (sound_output.device == nullptr) return false;
  if (!sound_output.can_disconnect) return true;
  ALCint connected = ALC_TRUE;
  alcGetIntegerv(sound_output.device, ALC_CONNECTED, 1, &connected);
  return connected != ALC_FALSE;
}

int32_t InitSoundOutputOnDevice(ALCdevice *device, const ALCint *context_attributes) {
  std::lock_guard<std::mutex> hold(sound_lock);
  if (sound_output.started) {
    CloseUnusedDevice(device);
    return SoundDeviceReady();
  }
  sound_output = SoundOutput();
  sound_output.started = true;
  if (device == nullptr) return 0;

  // Made, never made current: the caller's context stays the current one.
  ALCcontext *context = alcCreateContext(device, WithSlotRoom(context_attributes).data());
  if (context == nullptr) {
    alcCloseDevice(device);
    return 0;
  }
  sound_output.device = device;
  sound_output.context = context;
  LearnContextCalls();
  SoundContextScope scope;
  LearnExtensions();
  LearnPauseCalls();
  WatchSoundEnds();
  PauseWhenSilent();
  return SoundDeviceReady();
}

}  // namespace wubble

using namespace wubble;

// Opens no second device when already started: a silent service stays
// silent, and a lost device stays lost, until ReleaseSounds.
int32_t InitSoundOutput() {
  {
    std::lock_guard<std::mutex> hold(sound_lock);
    if (sound_output.started) return SoundDeviceReady();
  }
  return InitSoundOutputOnDevice(alcOpenDevice(nullptr), nullptr);
}

int32_t SoundSlotLimit() {
  std::lock_guard<std::mutex> hold(sound_lock);
  return SoundDeviceReady() ? sound_output.slot_limit : 0;
}

void ReleaseSounds() {
  StopWatchingSoundEnds();
  std::lock_guard<std::mutex> hold(sound_lock);
  if (!sound_output.started) return;
  if (sound_output.context != nullptr) {
    {
      SoundContextScope scope;
      for (auto &entry : sound_output.slots) {
        alDeleteSources(1, &entry.second.source);
        alDeleteBuffers(1, &entry.second.buffer);
      }
    }
    // Current nowhere now, unless the host made it current itself; the
    // library then clears that on its own.
    alcDestroyContext(sound_output.context);
  }
  CloseUnusedDevice(sound_output.device);
  sound_output = SoundOutput();
}

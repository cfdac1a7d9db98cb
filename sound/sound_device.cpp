// Device side of the playback service: opening, readiness, release.
#include "sound.h"
#include "sound_device.h"
#include "sound_state.h"
#include "quiet_logs.h"

SoundOutput sound_output;

namespace {

void CloseUnusedDevice(ALCdevice *device) {
  if (device != nullptr) alcCloseDevice(device);
}

void LearnExtensions() {
  sound_output.can_disconnect = alcIsExtensionPresent(sound_output.device, "ALC_EXT_disconnect");
  sound_output.direct_channels = alIsExtensionPresent("AL_SOFT_direct_channels");
  if (alIsExtensionPresent("AL_SOFT_source_latency")) {
    sound_output.get_offset_latency =
        reinterpret_cast<LPALGETSOURCEI64VSOFT>(alGetProcAddress("alGetSourcei64vSOFT"));
  }
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
  if (sound_output.started) {
    CloseUnusedDevice(device);
    return sound_output.device != nullptr;
  }
  sound_output = SoundOutput();
  sound_output.started = true;
  if (device == nullptr) return 0;

  ALCcontext *context = alcCreateContext(device, context_attributes);
  if (context == nullptr || !alcMakeContextCurrent(context)) {
    if (context != nullptr) alcDestroyContext(context);
    alcCloseDevice(device);
    return 0;
  }
  sound_output.device = device;
  sound_output.context = context;
  LearnExtensions();
  return 1;
}

// Opens no second device when already started: a silent service stays silent.
int32_t InitSoundOutput() {
  SilenceAudioLibraryLogs();
  if (sound_output.started) return sound_output.device != nullptr;
  return InitSoundOutputOnDevice(alcOpenDevice(nullptr), nullptr);
}

void ReleaseSounds() {
  if (!sound_output.started) return;
  for (auto &entry : sound_output.slots) {
    alDeleteSources(1, &entry.second.source);
    alDeleteBuffers(1, &entry.second.buffer);
  }
  if (sound_output.context != nullptr) {
    if (alcGetCurrentContext() == sound_output.context) alcMakeContextCurrent(nullptr);
    alcDestroyContext(sound_output.context);
  }
  CloseUnusedDevice(sound_output.device);
  sound_output = SoundOutput();
}

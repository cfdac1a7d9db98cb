#include "sound_idle.h"

#include <chrono>
#include <thread>

#include "sound_context.h"
#include "sound_state.h"

namespace wubble {

std::mutex sound_lock;

namespace {

// AL_SOFT_events, still AL_SOFTX_events in older OpenAL Soft releases, whose
// headers do not declare it.
using EventHandler = void(AL_APIENTRY *)(ALenum type, ALuint object, ALuint param, ALsizei length,
                                         const ALchar *message, void *user);
using SetEventCallback = void(AL_APIENTRY *)(EventHandler handler, void *user);
using ControlEvents = void(AL_APIENTRY *)(ALsizei count, const ALenum *types, ALboolean enable);

SetEventCallback set_event_callback = nullptr;
ControlEvents control_events = nullptr;
ALenum state_changed_event = 0;

// A longer output buffer than this is not waited for: the end is cut.
const int64_t kLongestWaitNs = 200000000;

bool AnySlotPlays() {
  for (auto &entry : sound_output.slots) {
    ALint state = AL_STOPPED;
    alGetSourcei(entry.second.source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) return true;
  }
  return false;
}

// A sound counts as ended once it is mixed; its last samples still have the
// output's buffer to pass before they are heard.
void WaitUntilMixIsHeard() {
  if (sound_output.get_device_integer64 == nullptr) return;
  ALCint64SOFT latency_ns = 0;
  sound_output.get_device_integer64(sound_output.device, ALC_DEVICE_LATENCY_SOFT, 1, &latency_ns);
  if (latency_ns > kLongestWaitNs) latency_ns = kLongestWaitNs;
  if (latency_ns > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(latency_ns));
}

// On the audio library's event thread. The device and the latency call stay
// as they are until StopWatchingSoundEnds, which waits for this to return.
// A sound started during the wait may already be mixed whole while its
// end is still on its way to the speaker; its own end comes here too.
void AL_APIENTRY OnSourceStateChanged(ALenum type, ALuint, ALuint state, ALsizei, const ALchar *, void *) {
  if (type != state_changed_event || state != AL_STOPPED) return;
  uint64_t starts = 0;
  {
    std::lock_guard<std::mutex> hold(sound_lock);
    starts = sound_output.starts;
  }
  WaitUntilMixIsHeard();
  std::lock_guard<std::mutex> hold(sound_lock);
  if (sound_output.starts != starts) return;
  SoundContextScope scope;
  PauseWhenSilent();
}

}  // namespace

void LearnPauseCalls() {
  ALCdevice *device = sound_output.device;
  if (!alcIsExtensionPresent(device, "ALC_SOFT_pause_device")) return;
  sound_output.pause_device = reinterpret_cast<LPALCDEVICEPAUSESOFT>(alcGetProcAddress(device, "alcDevicePauseSOFT"));
  sound_output.resume_device =
      reinterpret_cast<LPALCDEVICERESUMESOFT>(alcGetProcAddress(device, "alcDeviceResumeSOFT"));
  if (sound_output.pause_device == nullptr || sound_output.resume_device == nullptr) {
    sound_output.pause_device = nullptr;
    sound_output.resume_device = nullptr;
    return;
  }
  // The report of an end comes on a thread of the audio library's, which
  // can only reach the service's context through its own thread context.
  if (sound_output.set_thread_context == nullptr) return;
  if (!alIsExtensionPresent("AL_SOFT_events") && !alIsExtensionPresent("AL_SOFTX_events")) return;
  set_event_callback = reinterpret_cast<SetEventCallback>(alGetProcAddress("alEventCallbackSOFT"));
  control_events = reinterpret_cast<ControlEvents>(alGetProcAddress("alEventControlSOFT"));
  state_changed_event = alGetEnumValue("AL_EVENT_TYPE_SOURCE_STATE_CHANGED_SOFT");
}

void WatchSoundEnds() {
  if (sound_output.pause_device == nullptr || set_event_callback == nullptr || control_events == nullptr ||
      state_changed_event == 0) {
    return;
  }
  alGetError();
  set_event_callback(OnSourceStateChanged, nullptr);
  control_events(1, &state_changed_event, AL_TRUE);
  sound_output.watches_ends = alGetError() == AL_NO_ERROR;
}

void StopWatchingSoundEnds() {
  if (!sound_output.watches_ends) return;
  SoundContextScope scope;
  control_events(1, &state_changed_event, AL_FALSE);
  set_event_callback(nullptr, nullptr);
}

void PauseWhenSilent() {
  if (sound_output.pause_device == nullptr || sound_output.paused || AnySlotPlays()) return;
  sound_output.pause_device(sound_output.device);
  sound_output.paused = true;
}

void ResumeForStart() {
  if (!sound_output.paused) return;
  sound_output.resume_device(sound_output.device);
  sound_output.paused = false;
}

}  // namespace wubble

#include "loopback.h"

#include <AL/alext.h>

#include <cmath>

#include "sound_device.h"

using namespace wubble;

ALCdevice *StartServiceOnLoopback(int channels) {
  ALCdevice *device = alcLoopbackOpenDeviceSOFT(nullptr);
  if (device == nullptr) return nullptr;
  ALCint layout = channels == 1 ? ALC_MONO_SOFT : channels == 2 ? ALC_STEREO_SOFT : ALC_5POINT1_SOFT;
  const ALCint attributes[] = {
      ALC_FORMAT_CHANNELS_SOFT, layout,
      ALC_FORMAT_TYPE_SOFT,     ALC_FLOAT_SOFT,
      ALC_FREQUENCY,            44100,
      ALC_OUTPUT_LIMITER_SOFT,  ALC_FALSE,
      0};
  return InitSoundOutputOnDevice(device, attributes) ? device : nullptr;
}

std::vector<int16_t> RenderFrames(ALCdevice *device, int frames, int channels) {
  std::vector<float> mix(size_t(frames) * channels);
  alcRenderSamplesSOFT(device, mix.data(), frames);
  std::vector<int16_t> out(mix.size());
  for (size_t i = 0; i < mix.size(); ++i) {
    long v = lrintf(mix[i] * 32768.0f);
    out[i] = int16_t(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
  }
  return out;
}

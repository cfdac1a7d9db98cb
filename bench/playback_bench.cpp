// Loading a full sound into a slot of the playback service, on an OpenAL
// loopback device so that no sound hardware is needed.
#include <AL/alc.h>
#include <AL/alext.h>
#include <benchmark/benchmark.h>

#include <vector>

#include "sound_device.h"
#include "synth.h"
#include "wav_image.h"
#include "wubble.h"

using namespace wubble;

namespace {

void LoadFullImage(benchmark::State &state) {
  const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                               ALC_FORMAT_TYPE_SOFT,     ALC_FLOAT_SOFT,
                               ALC_FREQUENCY,            44100,
                               0};
  if (!InitSoundOutputOnDevice(alcLoopbackOpenDeviceSOFT(nullptr), attributes)) {
    state.SkipWithError("no loopback device");
    return;
  }
  // The longest sound: 128001 samples.
  std::vector<uint8_t> image(kWavImageBytes);
  int32_t length = RenderWubble(5, 0, 5, image.data());
  if (length != kWavHeaderBytes + 2 * kMaxSamples) {
    state.SkipWithError("not a full-length sound");
    return;
  }
  for (auto _ : state) {
    if (!LoadSoundImage(1, image.data(), length)) {
      state.SkipWithError("load failed");
      break;
    }
  }
  ReleaseSounds();
}

}  // namespace

BENCHMARK(LoadFullImage)->Name("Product/load_sound_image")->Unit(benchmark::kMillisecond);

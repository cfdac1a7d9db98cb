// The render of a sound's image, and the public entries that render only.
#include "render_wubble.h"

#include <cstring>

#include "default_generator.h"
#include "wav_image.h"
#include "wubble.h"

namespace wubble {

static_assert(WUBBLE_IMAGE_BYTES == kWavImageBytes, "public image size");

int32_t RenderWubbleImage(WubbleGenerator &g, int32_t seed, int32_t mutations, int32_t volume,
                          uint8_t *image) {
  if (!PrepareSynthArrays(g)) return 0;
  float volume_gain = VolumeGain(volume);
  g.synth.running = 1;
  GenerateEffectParams(g, seed);
  MutateEffectParams(g, mutations);
  ResetSynth(g, 1);  // continues the random sequence: nothing may draw before it
  std::memset(image, 0, kWavImageBytes);
  WriteWavHeader(image);
  int32_t count = RenderSamples(g, volume_gain, image + kWavHeaderBytes);
  WriteWavSizes(image, count);
  return kWavHeaderBytes + 2 * count;
}

int32_t RenderFirstSound(WubbleGenerator &g, int32_t seed, int32_t mutations, int32_t volume,
                         uint8_t *image) {
  g.synth.phase = 0;
  return RenderWubbleImage(g, seed, mutations, volume, image);
}

}  // namespace wubble

using namespace wubble;

int32_t RenderWubble(int32_t seed, int32_t mutations, int32_t volume, uint8_t *dest) {
  if (!dest) return 0;
  // The oscillator position is the only state one sound hands to the next;
  // CreateWubble gets its own back afterwards.
  int32_t carried_phase = default_generator.synth.phase;
  int32_t length = RenderFirstSound(default_generator, seed, mutations, volume, dest);
  default_generator.synth.phase = carried_phase;
  return length;
}

WubbleGenerator *WubbleNewGenerator(void) { return NewGenerator(); }

int32_t WubbleRender(WubbleGenerator *g, int32_t seed, int32_t mutations, int32_t volume,
                     uint8_t *dest) {
  if (!g || !dest) return 0;
  return RenderWubbleImage(*g, seed, mutations, volume, dest);
}

void WubbleFreeGenerator(WubbleGenerator *g) { FreeGenerator(g); }

// RenderWubble and the generators of their own: the sound of three numbers
// for programs that play sounds their own way.
#include <cstring>

#include "generator.h"
#include "synth_ready.h"
#include "wav_image.h"
#include "wubble.h"

static_assert(WUBBLE_IMAGE_BYTES == kWavImageBytes, "public image size");

int32_t RenderWubble(int32_t seed, int32_t mutations, int32_t volume, uint8_t *dest) {
  WubbleGenerator &g = default_generator;
  if (!dest || !PrepareSynthArrays(g)) return 0;
  std::memset(dest, 0, kWavImageBytes);  // the tail of an image is zero
  // The oscillator position is the only state one sound hands to the next;
  // CreateWubble gets its own back afterwards.
  int32_t carried_phase = g.synth.phase;
  g.synth.phase = 0;
  int32_t length = RenderWubbleImage(g, seed, mutations, volume, dest);
  g.synth.phase = carried_phase;
  return length;
}

WubbleGenerator *WubbleNewGenerator(void) { return NewGenerator(); }

int32_t WubbleRender(WubbleGenerator *g, int32_t seed, int32_t mutations, int32_t volume,
                     uint8_t *dest) {
  if (!g || !dest) return 0;
  std::memset(dest, 0, kWavImageBytes);
  return RenderWubbleImage(*g, seed, mutations, volume, dest);
}

void WubbleFreeGenerator(WubbleGenerator *g) { FreeGenerator(g); }

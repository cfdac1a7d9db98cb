// RenderWubble: the sound of three numbers as a first sound of a run, for
// programs that play sounds their own way.
#include <cstring>

#include "synth.h"
#include "synth_ready.h"
#include "wav_image.h"
#include "wubble.h"

static_assert(WUBBLE_IMAGE_BYTES == kWavImageBytes, "public image size");

int32_t RenderWubble(int32_t seed, int32_t mutations, int32_t volume, uint8_t *dest) {
  if (!dest || !PrepareSynthArrays()) return 0;
  std::memset(dest, 0, kWavImageBytes);  // the tail of an image is zero
  // The oscillator position is the only state one sound hands to the next;
  // CreateWubble gets its own back afterwards.
  int32_t carried_phase = synth.phase;
  synth.phase = 0;
  int32_t length = RenderWubbleImage(seed, mutations, volume, dest);
  synth.phase = carried_phase;
  return length;
}

// The image of one sound from its three numbers, the way every entry makes
// it: RenderWubble, WubbleRender and CreateWubble (<wubble.h>), the batch
// of wubble-render.
#pragma once
#include <cstdint>

#include "generator.h"

namespace wubble {

// Builds the image of one sound into `image` (kWavImageBytes, zeroed here
// first) and returns its content length 46 + 2N; 0, leaving the image
// alone, when the work arrays cannot be had. Continues the oscillator
// phase of the sound `g` made before.
int32_t RenderWubbleImage(WubbleGenerator &g, int32_t seed, int32_t mutations, int32_t volume,
                          uint8_t *image);

// The same as the first sound of a run: the oscillator starts at phase 0,
// so the same numbers give the same bytes every time.
int32_t RenderFirstSound(WubbleGenerator &g, int32_t seed, int32_t mutations, int32_t volume,
                         uint8_t *image);

}  // namespace wubble

// The program-wide generator of the app and the tool, and the operations by
// the names the shell uses, each a thin call on it. Everything else takes
// the generator it works on.
#pragma once
#include <cstdint>

#include "generator.h"

namespace wubble {

extern WubbleGenerator default_generator;

void SeedRandom(int32_t seed);
int32_t RandomUpTo(int32_t max);
void GenerateEffectParams(int32_t seed);
void MutateEffectParams(int32_t mutations);
void AllocateSynthArrays();
void ResetSynth(int32_t full);
// The image of a sound, carrying the oscillator over from the one before.
int32_t RenderWubbleImage(int32_t seed, int32_t mutations, int32_t volume, uint8_t *image);

}  // namespace wubble

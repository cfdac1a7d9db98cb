#include "default_generator.h"

#include "render_wubble.h"

namespace wubble {

WubbleGenerator default_generator;

void SeedRandom(int32_t seed) { SeedRandom(default_generator, seed); }

int32_t RandomUpTo(int32_t max) { return RandomUpTo(default_generator, max); }

void GenerateEffectParams(int32_t seed) { GenerateEffectParams(default_generator, seed); }

void MutateEffectParams(int32_t mutations) { MutateEffectParams(default_generator, mutations); }

void AllocateSynthArrays() { AllocateSynthArrays(default_generator); }

void ResetSynth(int32_t full) { ResetSynth(default_generator, full); }

int32_t RenderWubbleImage(int32_t seed, int32_t mutations, int32_t volume, uint8_t *image) {
  return RenderWubbleImage(default_generator, seed, mutations, volume, image);
}

}  // namespace wubble

#include "generator.h"

#include <cstdlib>
#include <new>
#include <type_traits>

// A generator is made by zeroing it; nothing may need a constructor.
static_assert(std::is_trivial<WubbleGenerator>::value, "a zeroed generator is a fresh one");

WubbleGenerator default_generator;

RandomState &random_state = default_generator.random;
EffectParams &effect_params = default_generator.params;
SynthState &synth = default_generator.synth;
int32_t *&StageLengths = default_generator.stage_lengths;
float *&PhaserBuffer = default_generator.phaser_buffer;
float *&NoiseBuffer = default_generator.noise_buffer;

WubbleGenerator *NewGenerator() {
  // Value-initialised, so zeroed, and aligned as its random runs ask.
  WubbleGenerator *g = new (std::nothrow) WubbleGenerator();
  if (!g) return nullptr;
  AllocateSynthArrays(*g);
  if (g->stage_lengths && g->phaser_buffer && g->noise_buffer) return g;
  FreeGenerator(g);
  return nullptr;
}

void FreeGenerator(WubbleGenerator *g) {
  if (!g) return;
  std::free(g->stage_lengths);
  std::free(g->phaser_buffer);
  std::free(g->noise_buffer);
  delete g;
}

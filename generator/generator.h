// One generator: everything the making of a sound reads and writes, from
// the random source to the work arrays. Generators share nothing but tables
// that are filled once and then only read, so each may render on a thread
// of its own. The app and the tool use one program-wide generator, the
// default one (default_generator.h).
//
// All zero is a valid fresh generator: the default one needs no
// constructor, and NewGenerator only zeroes the memory it gets.
#pragma once
#include <cstdint>

#include "params.h"
#include "random.h"
#include "synth.h"

namespace wubble {

// Sines of the current period, by phase, valid while their stamp matches.
// Periods up to 65535 (any pitch above 0.023) are kept; longer ones, rare
// and slow anyway, are worked out every pass, which keeps the cache's
// memory at 512 KiB.
constexpr int32_t kSineCacheSize = 1 << 16;
struct SineCache {
  float values[kSineCacheSize];
  uint32_t stamps[kSineCacheSize];
  uint32_t stamp;
  int32_t period;
};

// Where the noise oscillator reads its table while a render runs: a refill
// leaves its 33 draws raw in a random run, and only the entries read
// become values; NoiseBuffer gets all 33 when the render stops. The values
// are those FillNoise would store.
struct NoiseSource {
  RandomRun run;
  bool open;       // refills take their draws from `run`
  int32_t refill;  // position in `run` of the last refill; 0: NoiseBuffer holds it
                   // (no step is handed out below position 17)
  const double *values;  // SignedSpanValues()
};

}  // namespace wubble

// Declared in the public header, so outside the namespace; a type makes no
// symbol of its own that could meet a program's.
struct WubbleGenerator {
  wubble::RandomState random;
  wubble::EffectParams params;
  wubble::SynthState synth;
  int32_t *stage_lengths;  // kStageLengthsSize entries, from AllocateSynthArrays
  float *phaser_buffer;    // kPhaserBufferSize
  float *noise_buffer;     // kNoiseBufferSize
  wubble::NoiseSource noise;
  wubble::SineCache sine;
};

namespace wubble {

// A fresh generator with its work arrays, as the default one is at start-up
// once they are allocated; null when memory is short.
WubbleGenerator *NewGenerator();
void FreeGenerator(WubbleGenerator *g);  // null is harmless

}  // namespace wubble

// Generators for the generator's tests, and the steps they render with.
#pragma once
#include <cstdint>
#include <vector>

#include "generator.h"
#include "random.h"
#include "synth.h"
#include "wav_image.h"

// A fresh generator, all zero as at start-up, with its work arrays. Each
// call replaces the one the call before gave.
inline WubbleGenerator &FreshGenerator() {
  static WubbleGenerator *g = nullptr;
  wubble::FreeGenerator(g);
  g = wubble::NewGenerator();
  return *g;
}

// The image of the sound g.params describe, from the full reset on, as
// the product renders every image once the parameters are drawn.
inline int32_t RenderParams(WubbleGenerator &g, float volume_gain, uint8_t *image) {
  g.synth.running = 1;
  wubble::ResetSynth(g, 1);
  wubble::WriteWavHeader(image);
  int32_t count = wubble::RenderSamples(g, volume_gain, image + wubble::kWavHeaderBytes);
  wubble::WriteWavSizes(image, count);
  return wubble::kWavHeaderBytes + 2 * count;
}

// The next sample's level before the conversion to 16 bits; 0 once the
// sound has ended.
inline float RenderOneLevel(WubbleGenerator &g, float volume_gain) {
  float sum = 0.0f;
  if (wubble::RenderSums(g, &sum, 1) == 0) return 0.0f;
  return wubble::ScaleOutput(sum, volume_gain);
}

// Same table, indices and seeding, field by field (the struct has padding).
inline bool SameRandomState(const wubble::RandomState &a, const wubble::RandomState &b) {
  for (int e = 0; e < 17; e++) {
    if (a.table[e].first != b.table[e].first || a.table[e].second != b.table[e].second) return false;
  }
  return a.lead == b.lead && a.lag == b.lag && a.seeded == b.seeded;
}

// How many steps g's source has taken since SeedRandom(seed), found by
// stepping a copy; -1 beyond `limit`. Leaves g as it was.
inline int DrawsSinceSeed(WubbleGenerator &g, int32_t seed, int limit = 1000) {
  wubble::RandomState now = g.random;
  wubble::SeedRandom(g, seed);
  int draws = 0;
  while (draws <= limit && !SameRandomState(g.random, now)) {
    wubble::RandomStep(g);
    draws++;
  }
  g.random = now;
  return draws <= limit ? draws : -1;
}

// Comparing and counting states of the random source in tests.
#pragma once
#include "random.h"

// Same table, indices and seeding, field by field (the struct has padding).
inline bool SameRandomState(const RandomState &a, const RandomState &b) {
  for (int e = 0; e < 17; e++) {
    if (a.table[e].first != b.table[e].first || a.table[e].second != b.table[e].second) return false;
  }
  return a.lead == b.lead && a.lag == b.lag && a.seeded == b.seeded;
}

// How many steps the source has taken since SeedRandom(seed), found by
// stepping a fresh copy; -1 beyond `limit`. Leaves the source as it was.
inline int DrawsSinceSeed(int32_t seed, int limit = 1000) {
  RandomState now = random_state;
  SeedRandom(seed);
  int draws = 0;
  while (draws <= limit && !SameRandomState(random_state, now)) {
    RandomStep();
    draws++;
  }
  random_state = now;
  return draws <= limit ? draws : -1;
}

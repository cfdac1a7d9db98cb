#include "random.h"

#include <ctime>

RandomState random_state;

uint32_t TickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
  return uint32_t(ms);
}

static uint32_t RotateLeft(uint32_t w, int n) { return (w << n) | (w >> (32 - n)); }

static int32_t PreviousEntry(int32_t index) { return index == 0 ? 16 : index - 1; }

uint64_t RandomStep() {
  RandomEntry &lead = random_state.table[random_state.lead];
  const RandomEntry &lag = random_state.table[random_state.lag];
  uint32_t x = RotateLeft(lead.first, 19) + lag.first;
  uint32_t y = RotateLeft(lead.second, 27) + lag.second;
  lead.first = y;  // crosswise on purpose
  lead.second = x;
  random_state.lead = PreviousEntry(random_state.lead);
  random_state.lag = PreviousEntry(random_state.lag);
  return (uint64_t(x) << 32) | y;
}

void SeedRandom(int32_t seed) {
  random_state.seeded = true;
  uint32_t w = uint32_t(seed);
  for (int i = 0; i < 34; i++) {
    w = w * 2891336453u + 1u;
    RandomEntry &entry = random_state.table[i / 2];
    (i % 2 == 0 ? entry.first : entry.second) = w;
  }
  random_state.lead = 0;
  random_state.lag = 10;
  for (int i = 0; i < 31; i++) RandomStep();
}

int32_t RandomUpTo(int32_t max) {
  if (!random_state.seeded) SeedRandom(int32_t(TickCount()));
  uint64_t r = RandomStep();  // taken even when max is refused
  if (max < 0) return INT32_MIN;
  // floor(r * n / 2^64), assembled from 32x32->64 products so that no
  // 128-bit type is needed.
  uint64_t n = uint64_t(max) + 1u;
  uint64_t p = (r >> 32) * n;
  uint64_t q = (r & 0xFFFFFFFFu) * n;
  uint64_t s = (p & 0xFFFFFFFFu) + (q >> 32);
  return int32_t((p >> 32) + (s >> 32));
}

double RandomSpan(float range) {
  double q = RandomUpTo(10000) / 10000.0;
  return q * double(range);  // divide first: the other order differs in the last bit
}

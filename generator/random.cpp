#include "random.h"

#include <cstring>
#include <ctime>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX  // windows.h must not define min and max
#endif
#include <windows.h>
#endif

#include "generator.h"

namespace wubble {

// Milliseconds since some fixed start, wrapping at 32 bits.
uint32_t TickCount() {
#ifdef _WIN32
  return uint32_t(GetTickCount());
#else
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
  return uint32_t(ms);
#endif
}

static int32_t PreviousEntry(int32_t index) { return index == 0 ? 16 : index - 1; }

uint64_t RandomStep(WubbleGenerator &g) {
  RandomState &r = g.random;
  RandomEntry &lead = r.table[r.lead];
  const RandomEntry &lag = r.table[r.lag];
  uint32_t x = RotateLeft(lead.first, 19) + lag.first;
  uint32_t y = RotateLeft(lead.second, 27) + lag.second;
  lead.first = y;  // crosswise on purpose
  lead.second = x;
  r.lead = PreviousEntry(r.lead);
  r.lag = PreviousEntry(r.lag);
  return (uint64_t(x) << 32) | y;
}

void SeedRandom(WubbleGenerator &g, int32_t seed) {
  RandomState &r = g.random;
  r.seeded = true;
  uint32_t w = uint32_t(seed);
  for (int i = 0; i < 34; i++) {
    w = w * 2891336453u + 1u;
    RandomEntry &entry = r.table[i / 2];
    (i % 2 == 0 ? entry.first : entry.second) = w;
  }
  r.lead = 0;
  r.lag = 10;
  for (int i = 0; i < 31; i++) RandomStep(g);
}

int32_t RandomUpTo(WubbleGenerator &g, int32_t max) {
  if (!g.random.seeded) SeedRandom(g, int32_t(TickCount()));
  uint64_t draw = RandomStep(g);  // taken even when max is refused
  if (max < 0) return INT32_MIN;
  return int32_t(ScaleDraw(draw, uint64_t(max) + 1u));
}

double RandomSpan(WubbleGenerator &g, float range) {
  if (!g.random.seeded) SeedRandom(g, int32_t(TickCount()));
  return SpanOfDraw(RandomStep(g), range);
}

static int32_t Modulo17(int32_t n) { return ((n % 17) + 17) % 17; }

bool OpenRandomRun(RandomRun &run, const RandomState &r) {
  if (!r.seeded || Modulo17(r.lag - r.lead) != 10) return false;
  // Position p holds table[lead - p]: step n (position n + 17) then reads
  // its lead entry at position n and its lag entry (lead + 10, which step
  // n - 10 wrote last) at position n + 7.
  for (int32_t p = 0; p < 17; p++) {
    const RandomEntry &entry = r.table[Modulo17(r.lead - p)];
    run.first[p] = entry.first;
    run.second[p] = entry.second;
  }
  run.lead = r.lead;
  run.taken = 17;
  run.made = 17;
  return true;
}

void MakeMoreRandomSteps(RandomRun &run) {
  constexpr int32_t kBatch = 256;
  static_assert(kBatch % 4 == 0, "MakeRandomSteps makes positions in fours");
  if (run.made + kBatch > RandomRun::kCapacity) {
    // Keep the 17 positions before the next step, which the steps to come
    // and CloseRandomRun read, and whatever was made after them.
    int32_t shift = run.taken - 17;
    std::memmove(run.first, run.first + shift, sizeof(uint32_t) * (run.made - shift));
    std::memmove(run.second, run.second + shift, sizeof(uint32_t) * (run.made - shift));
    run.taken -= shift;
    run.made -= shift;
    run.lead = Modulo17(run.lead - shift);
  }
  MakeRandomSteps(run.first, run.second, run.made, run.made + kBatch);
  run.made += kBatch;
}

void CloseRandomRun(RandomRun &run, RandomState &r) {
  for (int32_t p = run.taken - 17; p < run.taken; p++) {
    RandomEntry &entry = r.table[Modulo17(run.lead - p)];
    entry.first = run.first[p];
    entry.second = run.second[p];
  }
  r.lead = Modulo17(run.lead - run.taken);
  r.lag = Modulo17(r.lead + 10);
}

}  // namespace wubble

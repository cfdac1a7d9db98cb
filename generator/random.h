// The seeded random source: a rotated lagged-Fibonacci generator with 17
// entries of two 32-bit words and a 64-bit output. Its exact sequence is part
// of every sound, so nothing here may change without changing every seed.
#pragma once
#include <cstdint>

struct WubbleGenerator;

namespace wubble {

struct RandomEntry {
  uint32_t first;
  uint32_t second;
};

struct RandomState {
  RandomEntry table[17];
  int32_t lead;  // entry the next step overwrites
  int32_t lag;   // entry the next step adds in
  bool seeded;
};

// w rotated left by n bits, 0 < n < 32.
inline uint32_t RotateLeft(uint32_t w, int n) { return (w << n) | (w >> (32 - n)); }

// Milliseconds from a monotonic clock, truncated to 32 bits (wraps).
uint32_t TickCount();

void SeedRandom(WubbleGenerator &g, int32_t seed);
uint64_t RandomStep(WubbleGenerator &g);
int32_t RandomUpTo(WubbleGenerator &g, int32_t max);
double RandomSpan(WubbleGenerator &g, float range);

// floor(r * n / 2^64) for n up to 2^31, exact.
inline uint64_t ScaleDraw(uint64_t r, uint64_t n) {
  uint64_t p = (r >> 32) * n;
  uint64_t q = (r & 0xFFFFFFFFu) * n;
  uint64_t s = (p & 0xFFFFFFFFu) + (q >> 32);
  return (p >> 32) + (s >> 32);
}

// RandomSpan's value for a draw (a RandomStep result).
inline double SpanOfDraw(uint64_t draw, float range) {
  double q = int32_t(ScaleDraw(draw, 10001u)) / 10000.0;
  return q * double(range);  // divide first: the other order differs in the last bit
}

// Steps of the random source made ahead in bulk, for the noise refills of a
// render: a refill takes 33 steps at every wrap of the oscillator, in the
// middle of the passes. The recurrence runs on two straight arrays,
// position p holding the entry that step p - 17 writes, so that no table
// index wraps. While a run is open the source it was opened on is not
// advanced; CloseRandomRun brings it up to date with the steps taken.
// Steps made but not taken are dropped: they are the same ones the next
// run makes again.
struct RandomRun {
  static constexpr int32_t kCapacity = 1024;
  uint32_t first[kCapacity];
  uint32_t second[kCapacity];
  int32_t taken;  // position of the next step to hand out
  int32_t made;   // positions below this one are made
  int32_t lead;   // table entry of position 0, counted as in RandomState
};

// False, leaving nothing open, when `r` is not seeded or not in the shape
// SeedRandom leaves it (lag 10 entries after lead, modulo 17).
bool OpenRandomRun(RandomRun &run, const RandomState &r);
// Makes another batch of steps in `run`, enough for any one take.
void MakeMoreRandomSteps(RandomRun &run);
// Positions begin..end-1 of a run's arrays (end - begin a multiple of 4),
// each RandomStep on the entries 17 and 10 positions back, crosswise as
// there. No position reads one less than 10 back, so up to 10 can be made
// at once: random_steps.cpp makes one at a time and leaves that to the
// compiler; random_steps_simd128.cpp makes four at a time in WebAssembly.
void MakeRandomSteps(uint32_t *first, uint32_t *second, int32_t begin, int32_t end);

// Takes `count` (1..64) steps and returns the position of the first.
inline int32_t TakeRandomSteps(RandomRun &run, int32_t count) {
  if (run.taken + count > run.made) MakeMoreRandomSteps(run);
  int32_t position = run.taken;
  run.taken += count;
  return position;
}
inline uint64_t RunDraw(const RandomRun &run, int32_t position) {
  return (uint64_t(run.second[position]) << 32) | run.first[position];
}
void CloseRandomRun(RandomRun &run, RandomState &r);

}  // namespace wubble

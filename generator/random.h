// The seeded random source: a rotated lagged-Fibonacci generator with 17
// entries of two 32-bit words and a 64-bit output. Its exact sequence is part
// of every sound, so nothing here may change without changing every seed.
#pragma once
#include <cstdint>

struct RandomEntry {
  uint32_t first;
  uint32_t second;
};

struct RandomState {
  RandomEntry table[17];
  int32_t lead;    // entry the next step overwrites
  int32_t lag;     // entry the next step adds in
  bool seeded;
};

// The default generator's source (see generator.h), which the calls below
// without a RandomState use.
extern RandomState &random_state;

// Milliseconds from a monotonic clock, truncated to 32 bits (wraps).
uint32_t TickCount();

void SeedRandom(RandomState &r, int32_t seed);
void SeedRandom(int32_t seed);

inline uint32_t RotateLeft(uint32_t w, int n) { return (w << n) | (w >> (32 - n)); }

inline int32_t PreviousEntry(int32_t index) { return index == 0 ? 16 : index - 1; }

// The steps and draws are inline: parameter generation and mutation rounds
// take thousands of them in a row.
inline uint64_t RandomStep(RandomState &r) {
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
inline uint64_t RandomStep() { return RandomStep(random_state); }

// floor(r * n / 2^64) for n up to 2^31, exact.
inline uint64_t ScaleDraw(uint64_t r, uint64_t n) {
#ifdef __SIZEOF_INT128__
  return uint64_t((unsigned __int128)r * n >> 64);
#else
  uint64_t p = (r >> 32) * n;
  uint64_t q = (r & 0xFFFFFFFFu) * n;
  uint64_t s = (p & 0xFFFFFFFFu) + (q >> 32);
  return (p >> 32) + (s >> 32);
#endif
}

// Which of the 10001 span values a draw (a RandomStep result) picks: 0 to
// 10000, also the index into SignedSpanValues().
inline uint64_t SpanIndex(uint64_t draw) { return ScaleDraw(draw, 10001u); }

inline int32_t RandomUpTo(RandomState &r, int32_t max) {
  if (!r.seeded) SeedRandom(r, int32_t(TickCount()));
  uint64_t draw = RandomStep(r);  // taken even when max is refused
  if (max < 0) return INT32_MIN;
  return int32_t(ScaleDraw(draw, uint64_t(max) + 1u));
}
inline int32_t RandomUpTo(int32_t max) { return RandomUpTo(random_state, max); }

// RandomSpan's value for a draw (a RandomStep result).
inline double SpanOfDraw(uint64_t draw, float range) {
  double q = int32_t(SpanIndex(draw)) / 10000.0;
  return q * double(range);  // divide first: the other order differs in the last bit
}

inline double RandomSpan(RandomState &r, float range) {
  if (!r.seeded) SeedRandom(r, int32_t(TickCount()));
  return SpanOfDraw(RandomStep(r), range);
}
inline double RandomSpan(float range) { return RandomSpan(random_state, range); }

// Fills out[0..count) with RandomSpan(2) - 1 rounded to single, exactly as
// `count` such calls in a row would, only faster.
void FillSignedSpans(RandomState &r, float *out, int count);
inline void FillSignedSpans(float *out, int count) { FillSignedSpans(random_state, out, count); }

// The 10001 values RandomSpan(2) - 1 rounded to single can take.
const float *SignedSpanValues();


// Steps of the random source made ahead in bulk, for the noise refills of a
// render and for mutation rounds. The recurrence runs on two straight
// arrays, position p holding the entry that step p - 17 writes, so that no
// table index wraps and four steps are made at once. While a run is open
// the source it was opened on is not advanced; CloseRandomRun brings it up
// to date with the steps taken. Steps made but not taken are dropped: they
// are the same ones the next run makes again. Aligned to a cache line:
// the steps are stored eight at a time, at positions that are multiples of
// eight, and a store across two lines costs twice.
struct alignas(64) RandomRun {
  static constexpr int32_t kCapacity = 4096;
  uint32_t first[kCapacity];
  uint32_t second[kCapacity];
  int32_t taken;  // position of the next step to hand out
  int32_t made;   // positions below this one are made
  int32_t lead;   // table entry of position 0, counted as in RandomState
};

// False, leaving nothing open, when `r` is not seeded or not in the shape
// SeedRandom leaves it (lag 10 entries after lead, modulo 17).
bool OpenRandomRun(RandomRun &run, const RandomState &r);
inline bool OpenRandomRun(RandomRun &run) { return OpenRandomRun(run, random_state); }
// Makes another batch of steps in `run`, enough for any one take.
void MakeMoreRandomSteps(RandomRun &run);

// Takes `count` (1..64) steps and returns the position of the first. Inline:
// the noise oscillator takes 33 at every wrap, in the middle of the passes,
// and a call there would make the passes save and restore their registers.
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
inline void CloseRandomRun(RandomRun &run) { CloseRandomRun(run, random_state); }

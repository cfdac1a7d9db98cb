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

extern RandomState random_state;

// Milliseconds from a monotonic clock, truncated to 32 bits (wraps).
uint32_t TickCount();

uint64_t RandomStep();
void SeedRandom(int32_t seed);
int32_t RandomUpTo(int32_t max);
double RandomSpan(float range);

// Fills out[0..count) with RandomSpan(2) - 1 rounded to single, exactly as
// `count` such calls in a row would, only faster.
void FillSignedSpans(float *out, int count);

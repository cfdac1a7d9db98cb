#include "random.h"

#include <cstring>
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

// floor(r * n / 2^64) for n up to 2^31, exact.
static uint64_t ScaleDraw(uint64_t r, uint64_t n) {
#ifdef __SIZEOF_INT128__
  return uint64_t((unsigned __int128)r * n >> 64);
#else
  uint64_t p = (r >> 32) * n;
  uint64_t q = (r & 0xFFFFFFFFu) * n;
  uint64_t s = (p & 0xFFFFFFFFu) + (q >> 32);
  return (p >> 32) + (s >> 32);
#endif
}

int32_t RandomUpTo(int32_t max) {
  if (!random_state.seeded) SeedRandom(int32_t(TickCount()));
  uint64_t r = RandomStep();  // taken even when max is refused
  if (max < 0) return INT32_MIN;
  return int32_t(ScaleDraw(r, uint64_t(max) + 1u));
}

double RandomSpan(float range) {
  double q = RandomUpTo(10000) / 10000.0;
  return q * double(range);  // divide first: the other order differs in the last bit
}

// The 10001 values a span of 2 minus 1 can take, each computed by the same
// expression as RandomSpan(2.0f) - 1.0f rounded to single.
static const float *SignedSpanTable() {
  static float table[10001];
  static bool filled = false;
  if (!filled) {
    for (int k = 0; k <= 10000; k++) table[k] = float(k / 10000.0 * double(2.0f) - 1.0f);
    filled = true;
  }
  return table;
}

void FillSignedSpans(float *out, int count) {
  if (!random_state.seeded) SeedRandom(int32_t(TickCount()));
  const float *values = SignedSpanTable();
  // RandomStep on local copies, which the compiler keeps in registers.
  RandomEntry table[17];
  std::memcpy(table, random_state.table, sizeof table);
  int32_t lead = random_state.lead, lag = random_state.lag;
  for (int i = 0; i < count; i++) {
    uint32_t x = RotateLeft(table[lead].first, 19) + table[lag].first;
    uint32_t y = RotateLeft(table[lead].second, 27) + table[lag].second;
    table[lead] = RandomEntry{y, x};
    lead = PreviousEntry(lead);
    lag = PreviousEntry(lag);
    out[i] = values[ScaleDraw((uint64_t(x) << 32) | y, 10001u)];
  }
  std::memcpy(random_state.table, table, sizeof table);
  random_state.lead = lead;
  random_state.lag = lag;
}

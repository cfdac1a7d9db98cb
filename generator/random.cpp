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

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "compiler.h"
#include "processor.h"

#if WUBBLE_WIDE_BUILDS
#include <immintrin.h>
#endif

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

void SeedRandom(RandomState &r, int32_t seed) {
  r.seeded = true;
  uint32_t w = uint32_t(seed);
  for (int i = 0; i < 34; i++) {
    w = w * 2891336453u + 1u;
    RandomEntry &entry = r.table[i / 2];
    (i % 2 == 0 ? entry.first : entry.second) = w;
  }
  r.lead = 0;
  r.lag = 10;
  for (int i = 0; i < 31; i++) RandomStep(r);
}

void SeedRandom(int32_t seed) { SeedRandom(random_state, seed); }

// The 10001 values a span of 2 minus 1 can take, each computed by the same
// expression as RandomSpan(2.0f) - 1.0f rounded to single. Shared by every
// generator: filled once, by whichever thread comes first.
struct SignedSpanTable {
  float values[10001];
  SignedSpanTable() {
    for (int k = 0; k <= 10000; k++) values[k] = float(k / 10000.0 * double(2.0f) - 1.0f);
  }
};

const float *SignedSpanValues() {
  static const SignedSpanTable table;
  return table.values;
}

void FillSignedSpans(RandomState &r, float *out, int count) {
  if (!r.seeded) SeedRandom(r, int32_t(TickCount()));
  const float *values = SignedSpanValues();
  // RandomStep on local copies, which the compiler keeps in registers.
  RandomEntry table[17];
  std::memcpy(table, r.table, sizeof table);
  int32_t lead = r.lead, lag = r.lag;
  for (int i = 0; i < count; i++) {
    uint32_t x = RotateLeft(table[lead].first, 19) + table[lag].first;
    uint32_t y = RotateLeft(table[lead].second, 27) + table[lag].second;
    table[lead] = RandomEntry{y, x};
    lead = PreviousEntry(lead);
    lag = PreviousEntry(lag);
    out[i] = values[SpanIndex((uint64_t(x) << 32) | y)];
  }
  std::memcpy(r.table, table, sizeof table);
  r.lead = lead;
  r.lag = lag;
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

static void MakeStep(uint32_t *first, uint32_t *second, int32_t p) {
  first[p] = RotateLeft(second[p - 17], 27) + second[p - 10];
  second[p] = RotateLeft(first[p - 17], 19) + first[p - 10];
}

#ifdef __SSE2__
static __m128i RotateLeft(__m128i w, int n) {
  return _mm_or_si128(_mm_slli_epi32(w, n), _mm_srli_epi32(w, 32 - n));
}

// Positions p - 17 .. p - 14 and p - 10 .. p - 7 from the blocks of four
// b[0] = p - 20 .. p - 17 up to b[3] = p - 8 .. p - 5.
static __m128i Back17(const __m128i *b) {
  // Lanes a3 a3 b0 b0, then a3 b0 b1 b2, in two shuffles.
  __m128 a = _mm_castsi128_ps(b[0]), c = _mm_castsi128_ps(b[1]);
  __m128 t = _mm_shuffle_ps(a, c, _MM_SHUFFLE(0, 0, 3, 3));
  return _mm_castps_si128(_mm_shuffle_ps(t, c, _MM_SHUFFLE(2, 1, 2, 0)));
}
static __m128i Back10(const __m128i *b) {
  // The high half of one block and the low half of the next, in one shuffle.
  return _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(b[2]), _mm_castsi128_pd(b[3]), 1));
}

// Positions from p on, four at a time while four fit before `end`, for
// p >= 20; returns the position after the last one made. The last 20
// positions stay in registers: read back from memory, a block of four would
// straddle two recent stores, which the processor cannot forward, and each
// block would wait for them.
static int32_t MakeStepsBy4(uint32_t *first, uint32_t *second, int32_t p, int32_t end) {
  if (p + 4 > end) return p;
  __m128i f[5], s[5];
  for (int k = 0; k < 5; k++) {
    f[k] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(first + p - 20 + 4 * k));
    s[k] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(second + p - 20 + 4 * k));
  }
  for (; p + 4 <= end; p += 4) {
    __m128i new_first = _mm_add_epi32(RotateLeft(Back17(s), 27), Back10(s));
    __m128i new_second = _mm_add_epi32(RotateLeft(Back17(f), 19), Back10(f));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(first + p), new_first);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(second + p), new_second);
    for (int k = 0; k < 4; k++) {
      f[k] = f[k + 1];
      s[k] = s[k + 1];
    }
    f[4] = new_first;
    s[4] = new_second;
  }
  return p;
}
#endif

#if WUBBLE_WIDE_BUILDS
WUBBLE_AVX2_TARGET static __m256i RotateLeft(__m256i w, int n) {
  return _mm256_or_si256(_mm256_slli_epi32(w, n), _mm256_srli_epi32(w, 32 - n));
}

// Positions p - n .. p - n + 7 from the blocks a = p - 24 .. p - 17,
// b = p - 16 .. p - 9 and c = p - 8 .. p - 1, for n = 17 (from a and b) and
// n = 10 (from b and c): the middle halves, then a shift within halves.
WUBBLE_AVX2_TARGET static __m256i Back17(__m256i a, __m256i b) {
  return _mm256_alignr_epi8(b, _mm256_permute2x128_si256(a, b, 0x21), 12);
}
WUBBLE_AVX2_TARGET static __m256i Back10(__m256i b, __m256i c) {
  return _mm256_alignr_epi8(c, _mm256_permute2x128_si256(b, c, 0x21), 8);
}

// The last 24 positions of one array, in blocks of eight, oldest first:
// p - 24 .. p - 17, p - 16 .. p - 9 and p - 8 .. p - 1.
struct Window8 {
  __m256i old, middle, recent;
};

WUBBLE_AVX2_TARGET static Window8 LoadWindow8(const uint32_t *words, int32_t p) {
  const __m256i *at = reinterpret_cast<const __m256i *>(words + p - 24);
  return Window8{_mm256_loadu_si256(at), _mm256_loadu_si256(at + 1), _mm256_loadu_si256(at + 2)};
}

// Stores the next eight positions at p and moves the window on to them.
WUBBLE_AVX2_TARGET static void Push8(Window8 &w, uint32_t *words, int32_t p, __m256i next) {
  _mm256_storeu_si256(reinterpret_cast<__m256i *>(words + p), next);
  w.old = w.middle;
  w.middle = w.recent;
  w.recent = next;
}

// The next eight positions of one array, from the window of the other.
template <int kRotate>
WUBBLE_AVX2_TARGET static __m256i Step8(const Window8 &w) {
  return _mm256_add_epi32(RotateLeft(Back17(w.old, w.middle), kRotate), Back10(w.middle, w.recent));
}

// The same with a rotate instruction and shifts across the whole register:
// lanes 7.. of (old, middle) are positions p - 17 .., lanes 6.. of
// (middle, recent) are p - 10 ...
template <int kRotate>
WUBBLE_AVX512_TARGET static __m256i Step8Avx512(const Window8 &w) {
  return _mm256_add_epi32(_mm256_rol_epi32(_mm256_alignr_epi32(w.middle, w.old, 7), kRotate),
                          _mm256_alignr_epi32(w.recent, w.middle, 6));
}

// MakeStepsBy4 eight at a time, for p >= 24, with the last 24 positions in
// registers.
WUBBLE_AVX2_TARGET static int32_t MakeStepsBy8(uint32_t *first, uint32_t *second, int32_t p, int32_t end) {
  if (p + 8 > end) return p;
  Window8 f = LoadWindow8(first, p), s = LoadWindow8(second, p);
  for (; p + 8 <= end; p += 8) {
    __m256i new_first = Step8<27>(s), new_second = Step8<19>(f);
    Push8(f, first, p, new_first);
    Push8(s, second, p, new_second);
  }
  return p;
}

WUBBLE_AVX512_TARGET static int32_t MakeStepsBy8Avx512(uint32_t *first, uint32_t *second, int32_t p, int32_t end) {
  if (p + 8 > end) return p;
  Window8 f = LoadWindow8(first, p), s = LoadWindow8(second, p);
  for (; p + 8 <= end; p += 8) {
    __m256i new_first = Step8Avx512<27>(s), new_second = Step8Avx512<19>(f);
    Push8(f, first, p, new_first);
    Push8(s, second, p, new_second);
  }
  return p;
}
#endif

// Makes positions made .. made + count - 1: each is RandomStep on the
// entries 17 and 10 positions back, crosswise as there.
static void MakeSteps(RandomRun &run, int32_t count) {
  uint32_t *first = run.first, *second = run.second;
  int32_t p = run.made, end = run.made + count;
  for (; p < end && p < 24; p++) MakeStep(first, second, p);
#if WUBBLE_WIDE_BUILDS
  if (InstructionSetInUse() >= kAvx512Set) p = MakeStepsBy8Avx512(first, second, p, end);
  if (InstructionSetInUse() >= kAvx2Set) p = MakeStepsBy8(first, second, p, end);
#endif
#ifdef __SSE2__
  p = MakeStepsBy4(first, second, p, end);
#endif
  for (; p < end; p++) MakeStep(first, second, p);
  run.made = end;
}

void MakeMoreRandomSteps(RandomRun &run) {
  constexpr int32_t kBatch = 256;
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
  MakeSteps(run, kBatch);
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

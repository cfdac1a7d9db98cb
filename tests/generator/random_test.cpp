#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "random.h"
#include "test_generator.h"

using namespace wubble;

namespace {

WubbleGenerator g;  // only its random source is used

TEST(Random, SeedingFillsWordsBeforeWarmUp) {
  SeedRandom(g, 1);
  EXPECT_EQ(g.random.lead, 3);
  EXPECT_EQ(g.random.lag, 13);
  EXPECT_EQ(g.random.table[0].first, 0x12CEB592u);
  EXPECT_EQ(g.random.table[0].second, 0xF620B0F7u);
  EXPECT_EQ(g.random.table[1].first, 0xB6281E25u);
  EXPECT_EQ(g.random.table[1].second, 0xC3C42F88u);
  EXPECT_EQ(g.random.table[16].first, 0xA76D30E0u);
  EXPECT_EQ(g.random.table[16].second, 0x380F82B1u);
  EXPECT_EQ(RandomStep(g), 0xB8C1309F3104B06Bull);
}

// Steps backwards, restoring the state before the last RandomStep.
void UndoStep() {
  RandomState &r = g.random;
  r.lead = r.lead == 16 ? 0 : r.lead + 1;
  r.lag = r.lag == 16 ? 0 : r.lag + 1;
  RandomEntry &lead = r.table[r.lead];
  const RandomEntry &lag = r.table[r.lag];
  uint32_t x = lead.second, y = lead.first;
  uint32_t a = x - lag.first, b = y - lag.second;
  lead.first = (a >> 19) | (a << 13);
  lead.second = (b >> 27) | (b << 5);
}

TEST(Random, WarmUpStartsFromTheLinearFill) {
  SeedRandom(g, 1);
  for (int i = 0; i < 31; i++) UndoStep();
  EXPECT_EQ(g.random.lead, 0);
  EXPECT_EQ(g.random.lag, 10);
  EXPECT_EQ(g.random.table[0].first, 0xAC564B06u);
  EXPECT_EQ(g.random.table[0].second, 0xE1AE391Fu);
  EXPECT_EQ(g.random.table[1].first, 0x778D329Cu);
  EXPECT_EQ(g.random.table[1].second, 0x83FDB10Du);
}

struct DrawRow {
  uint32_t seed;
  int32_t full[5];
  int32_t small[5];
};

TEST(Random, FiveFullRangeThenFiveSmallDraws) {
  const DrawRow rows[] = {
      {0, {1170769584, 1683484736, 1418143767, 813114335, 507097645},
       {6250, 6377, 4210, 2635, 4687}},
      {1, {1549834319, 388809405, 1305423023, 1961501601, 769854},
       {1206, 5069, 2929, 4268, 8364}},
      {9837320, {321213736, 381557785, 1501577077, 552024894, 1756257641},
       {2359, 9379, 8757, 4369, 9150}},
      {4294967295u, {925398257, 897277412, 1598497663, 1879319581, 1080534267},
       {664, 7058, 5813, 686, 1324}},
  };
  for (const DrawRow &row : rows) {
    SCOPED_TRACE(row.seed);
    SeedRandom(g, int32_t(row.seed));
    for (int32_t v : row.full) EXPECT_EQ(RandomUpTo(g, 2147483647), v);
    for (int32_t v : row.small) EXPECT_EQ(RandomUpTo(g, 10000), v);
  }
}

TEST(Random, NegativeMaximumStillTakesItsStep) {
  SeedRandom(g, 9837320);
  const int32_t maxima[] = {3, 10000, 1, 10000, 10000, 2147483647, -1, 0, 1, 10000, INT32_MIN, 5};
  const int32_t expected[] = {0, 1776, 1, 2570, 8179, 506734495, INT32_MIN, 0, 0, 9150, INT32_MIN, 1};
  for (int i = 0; i < 12; i++) EXPECT_EQ(RandomUpTo(g, maxima[i]), expected[i]) << "call " << i;
}

TEST(Random, MinusOneAndAllOnesAreOneSeed) {
  SeedRandom(g, -1);
  RandomState a = g.random;
  SeedRandom(g, int32_t(4294967295u));
  EXPECT_TRUE(SameRandomState(a, g.random));
}

TEST(Random, ReseedingRestartsWhateverWasDrawnBefore) {
  SeedRandom(g, 77);
  std::vector<int32_t> first;
  for (int i = 0; i < 50; i++) first.push_back(RandomUpTo(g, 1000));
  SeedRandom(g, 12345);
  for (int i = 0; i < 13; i++) RandomUpTo(g, 7);
  SeedRandom(g, 77);
  for (int i = 0; i < 50; i++) EXPECT_EQ(RandomUpTo(g, 1000), first[i]);
}

TEST(Random, ZeroMaximumIsZeroAndAdvances) {
  SeedRandom(g, 5);
  RandomUpTo(g, 0);
  RandomState after_zero = g.random;
  SeedRandom(g, 5);
  RandomStep(g);
  EXPECT_TRUE(SameRandomState(after_zero, g.random));
  for (int i = 0; i < 100; i++) EXPECT_EQ(RandomUpTo(g, 0), 0);
}

TEST(Random, FullRangeIsTheTopThirtyOneBitsOfTheHighWord) {
  // Direct comparison: draw with RandomUpTo and with RandomStep from equal states.
  SeedRandom(g, 31337);
  RandomState start = g.random;
  for (int i = 0; i < 200; i++) {
    g.random = start;
    uint64_t r = RandomStep(g);
    g.random = start;
    int32_t v = RandomUpTo(g, 2147483647);
    start = g.random;
    EXPECT_EQ(v, int32_t(r >> 33));
  }
}

// The high 64 bits of a * b: in 128-bit arithmetic where the compiler has it,
// otherwise (32-bit targets) from all four 32-bit partial products.
uint64_t HighProduct(uint64_t a, uint64_t b) {
#ifdef __SIZEOF_INT128__
  return uint64_t((unsigned __int128)a * b >> 64);
#else
  uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
  uint64_t low_cross = a0 * b1, high_cross = a1 * b0;
  uint64_t middle = ((a0 * b0) >> 32) + (low_cross & 0xFFFFFFFFu) + (high_cross & 0xFFFFFFFFu);
  return a1 * b1 + (low_cross >> 32) + (high_cross >> 32) + (middle >> 32);
#endif
}

TEST(Random, MultiplyReductionMatchesWideArithmetic) {
  SeedRandom(g, 2024);
  const int32_t maxima[] = {1, 2, 3, 6, 99, 10000, 65535, 65536, 123456789, 2147483646, 2147483647};
  for (int i = 0; i < 2000; i++) {
    int32_t max = maxima[i % 11];
    RandomState start = g.random;
    uint64_t r = RandomStep(g);
    g.random = start;
    EXPECT_EQ(RandomUpTo(g, max), int32_t(HighProduct(r, uint64_t(max) + 1)));
  }
}

TEST(Random, SpanEndsAreExactAndDivisionComesFirst) {
  bool saw_zero = false, saw_full = false;
  SeedRandom(g, 7);
  for (int i = 0; i < 200000; i++) {
    RandomState start = g.random;
    int32_t k = RandomUpTo(g, 10000);
    g.random = start;
    double span = RandomSpan(g, 0.3f);
    ASSERT_EQ(span, (k / 10000.0) * double(0.3f));
    if (k == 0) { EXPECT_EQ(span, 0.0); saw_zero = true; }
    if (k == 10000) { EXPECT_EQ(span, double(0.3f)); saw_full = true; }
  }
  EXPECT_TRUE(saw_zero);
  EXPECT_TRUE(saw_full);
  // Spans of 2 minus 1 cover -1..1 in steps of 0.0002.
  SeedRandom(g, 8);
  for (int i = 0; i < 1000; i++) {
    double u = RandomSpan(g, 2.0f) - 1.0;
    ASSERT_GE(u, -1.0);
    ASSERT_LE(u, 1.0);
    double steps = (u + 1.0) / 0.0002;
    ASSERT_NEAR(steps, std::round(steps), 1e-6);
  }
}

TEST(Random, SpanKeepsDoublePrecision) {
  // k = 1 gives 1e-4 * 2 as a double, which no float holds.
  for (int32_t seed = 0; seed < 200000; seed++) {
    SeedRandom(g, seed);
    RandomState start = g.random;
    if (RandomUpTo(g, 10000) != 1) continue;
    g.random = start;
    double span = RandomSpan(g, 2.0f);
    EXPECT_EQ(span, 0.0001 * 2.0);
    EXPECT_NE(span, double(float(span)));
    return;
  }
  FAIL() << "no seed drew 1";
}

TEST(Random, UnseededDrawSeedsItself) {
  g.random = RandomState{};
  RandomUpTo(g, 10);
  EXPECT_TRUE(g.random.seeded);
  // A seeded state never has an all-zero table.
  bool any = false;
  for (const RandomEntry &e : g.random.table) any = any || e.first || e.second;
  EXPECT_TRUE(any);
}


// Steps made in bulk are the steps RandomStep makes, for takes of every
// size at every offset, across the moves that keep a run within its
// capacity, and closing the run leaves the source where those steps leave it.
void CheckRunSteps(int32_t seed) {
  static RandomRun run;
  SeedRandom(g, seed);
  for (int i = 0; i < 7; i++) RandomStep(g);  // any offset between lead and table
  RandomState plain = g.random;
  ASSERT_TRUE(OpenRandomRun(run, g.random));
  int32_t taken = 0;
  for (int32_t count = 1; taken < 3 * RandomRun::kCapacity; count = count % 64 + 1) {
    int32_t position = TakeRandomSteps(run, count);
    std::swap(g.random, plain);
    for (int32_t k = 0; k < count; k++) ASSERT_EQ(RunDraw(run, position + k), RandomStep(g)) << seed << " " << taken + k;
    std::swap(g.random, plain);
    taken += count;
  }
  CloseRandomRun(run, g.random);
  EXPECT_TRUE(SameRandomState(g.random, plain)) << seed;
}

TEST(Random, RunStepsAreTheSourceSteps) {
  for (int32_t seed : {1, 9837320, -5}) CheckRunSteps(seed);
}

}  // namespace

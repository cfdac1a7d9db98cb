// Generators of their own on threads of their own: every image a thread
// makes is the one the same sequence makes on a single thread, whatever the
// other threads do meanwhile. `make test-thread` runs this under
// ThreadSanitizer, where any race is a failure too.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "wubble.h"

namespace {

constexpr int kThreads = 4;
constexpr int kSoundsPerThread = 64;

struct Sound {
  int32_t seed, mutations, volume;
};

// A thread's own sequence, every waveform among them, with each eighth
// sound a repeat of the one before, whose bytes differ only by the
// oscillator position carried over.
std::vector<Sound> Sequence(int thread) {
  std::vector<Sound> sounds;
  uint32_t x = 2463534242u + 7919u * uint32_t(thread);
  for (int i = 0; i < kSoundsPerThread; i++) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    if (i % 8 == 7) {
      sounds.push_back(sounds.back());
    } else {
      sounds.push_back({int32_t(x), int32_t(x % 4), int32_t(x >> 25) + 1});
    }
  }
  return sounds;
}

struct Digest {
  int32_t length;
  uint64_t hash;
  bool operator==(const Digest &o) const { return length == o.length && hash == o.hash; }
};

// Over the whole buffer, eight bytes at a time.
Digest DigestOf(const std::vector<uint8_t> &image, int32_t length) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (size_t at = 0; at < image.size(); at += 8) {
    uint64_t word = 0;
    std::memcpy(&word, image.data() + at, 8);
    hash = (hash ^ word) * 0x100000001b3ull;
  }
  return Digest{length, hash};
}

// The sequence on one generator of its own, with carry-over.
std::vector<Digest> RenderSequence(const std::vector<Sound> &sounds) {
  std::vector<Digest> digests;
  std::vector<uint8_t> image(WUBBLE_IMAGE_BYTES);
  WubbleGenerator *generator = WubbleNewGenerator();
  if (!generator) return digests;
  for (const Sound &s : sounds) {
    int32_t length = WubbleRender(generator, s.seed, s.mutations, s.volume, image.data());
    digests.push_back(DigestOf(image, length));
  }
  WubbleFreeGenerator(generator);
  return digests;
}

TEST(Threads, EachGeneratorGivesTheSameBytesAsOnOneThread) {
  std::vector<std::vector<Sound>> sequences;
  std::vector<std::vector<Digest>> alone;
  for (int t = 0; t < kThreads; t++) {
    sequences.push_back(Sequence(t));
    alone.push_back(RenderSequence(sequences.back()));
    ASSERT_EQ(alone.back().size(), size_t(kSoundsPerThread));
    // The repeats must differ from the sound before, or the carry-over
    // would go unchecked.
    int moved = 0;
    for (int i = 7; i < kSoundsPerThread; i += 8) moved += !(alone.back()[i] == alone.back()[i - 1]);
    ASSERT_GT(moved, kSoundsPerThread / 16);
  }

  std::vector<std::vector<Digest>> together(kThreads);
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; t++) {
    threads.emplace_back([&, t] {
      // All start together, so that their renders overlap.
      ready++;
      while (ready.load() < kThreads) std::this_thread::yield();
      together[t] = RenderSequence(sequences[t]);
    });
  }
  for (std::thread &thread : threads) thread.join();

  int mismatches = 0;
  for (int t = 0; t < kThreads; t++) {
    ASSERT_EQ(together[t].size(), size_t(kSoundsPerThread)) << "thread " << t;
    for (int i = 0; i < kSoundsPerThread; i++) {
      if (!(together[t][i] == alone[t][i])) {
        mismatches++;
        ADD_FAILURE() << "thread " << t << " sound " << i << " (seed " << sequences[t][i].seed << ")";
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << "of " << kThreads * kSoundsPerThread << " sounds on " << kThreads
                           << " threads";
}

TEST(Threads, AGeneratorStartsAsARunStartsAndRefusesNulls) {
  std::vector<uint8_t> rendered(WUBBLE_IMAGE_BYTES), own(WUBBLE_IMAGE_BYTES, 0xAB);
  int32_t length = RenderWubble(9837320, 3, 5, rendered.data());
  WubbleGenerator *generator = WubbleNewGenerator();
  ASSERT_NE(generator, nullptr);
  EXPECT_EQ(WubbleRender(generator, 9837320, 3, 5, own.data()), length);
  EXPECT_EQ(own, rendered);  // the tail zeroed too

  std::vector<uint8_t> untouched(WUBBLE_IMAGE_BYTES, 0xCD), dest = untouched;
  EXPECT_EQ(WubbleRender(nullptr, 1, 0, 5, dest.data()), 0);
  EXPECT_EQ(dest, untouched);
  EXPECT_EQ(WubbleRender(generator, 1, 0, 5, nullptr), 0);
  // The refused call left the carry-over alone: the next sound is the
  // second of the run.
  std::vector<uint8_t> second(WUBBLE_IMAGE_BYTES), again(WUBBLE_IMAGE_BYTES);
  WubbleRender(generator, 9837320, 3, 5, second.data());
  WubbleGenerator *other = WubbleNewGenerator();
  WubbleRender(other, 9837320, 3, 5, again.data());
  WubbleRender(other, 9837320, 3, 5, again.data());
  EXPECT_EQ(second, again);
  EXPECT_NE(second, rendered);
  WubbleFreeGenerator(other);
  WubbleFreeGenerator(generator);
  WubbleFreeGenerator(nullptr);
}

}  // namespace

// Prints one line per sound, "kind seed mutations volume length hash", for
// 500 sounds rendered as first sounds (RenderWubble) and 500 rendered one
// after another as CreateWubble renders them, each carrying the oscillator
// over from the one before. Two builds make the same sounds when they print
// the same lines. Seeds, mutation rounds and volumes come from a fixed
// sequence of its own, with the edge values first.
//
//   sound_hashes [first|sequence [COUNT]]   (both kinds without an argument)
//
// One kind at a time lets an emulator run the two side by side; COUNT
// (1..500) makes the first COUNT sounds of the kind only, for a slow one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "default_generator.h"
#include "render_wubble.h"
#include "wubble.h"

namespace {

constexpr int kSoundsOfEachKind = 500;

uint64_t Fnv1a64(const uint8_t *bytes, int32_t length) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (int32_t i = 0; i < length; i++) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
  return hash;
}

struct Numbers {
  int32_t seed, mutations, volume;
};

const Numbers kEdges[] = {
    {9837320, 0, 5},    {0, 0, 5},           {1, 1, 127},      {-1, 0, -128},
    {INT32_MAX, 2, 0},  {INT32_MIN, 3, 64},  {73, 40, 5},      {1308, 0, 300},
    {115826, 9, -1},    {-2000000000, 7, 64}, {123, 0, 127},   {5, 100, 5},
};

// A 32-bit generator of its own, so that the numbers are the same on every
// platform and do not depend on the generator under test.
struct Numbering {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state;
  }
};

Numbers NumbersAt(int index, Numbering &numbering) {
  constexpr int kEdgeCount = int(sizeof kEdges / sizeof kEdges[0]);
  if (index < kEdgeCount) return kEdges[index];
  Numbers n;
  n.seed = int32_t(numbering.Next());
  // Mostly few rounds, as in the tool, sometimes many.
  uint32_t rounds = numbering.Next() >> 24;
  n.mutations = rounds < 160 ? int32_t(rounds % 4) : rounds < 250 ? int32_t(rounds % 16) : int32_t(rounds);
  n.volume = int32_t(numbering.Next() >> 24) - 128;
  return n;
}

void PrintSound(const char *kind, const Numbers &n, int32_t length, const uint8_t *image) {
  std::printf("%s %d %d %d %d %016llx\n", kind, n.seed, n.mutations, n.volume, length,
              (unsigned long long)Fnv1a64(image, length));
}

}  // namespace

int main(int argc, char **argv) {
  bool first = argc < 2 || std::strcmp(argv[1], "first") == 0;
  bool sequence = argc < 2 || std::strcmp(argv[1], "sequence") == 0;
  int count = argc > 2 ? std::atoi(argv[2]) : kSoundsOfEachKind;
  if ((!first && !sequence) || count < 1 || count > kSoundsOfEachKind) return 2;
  std::vector<uint8_t> image(WUBBLE_IMAGE_BYTES);
  Numbering numbering{20240501u};
  for (int i = 0; first && i < count; i++) {
    Numbers n = NumbersAt(i, numbering);
    int32_t length = RenderWubble(n.seed, n.mutations, n.volume, image.data());
    if (length <= 0) return 1;
    PrintSound("first", n, length, image.data());
  }
  // RenderWubble leaves the carry-over as it found it: the sequence starts at
  // phase 0, as the first CreateWubble of a program does.
  numbering.state = 777u;
  for (int i = 0; sequence && i < count; i++) {
    Numbers n = NumbersAt(i, numbering);
    int32_t length = wubble::RenderWubbleImage(n.seed, n.mutations, n.volume, image.data());
    if (length <= 0) return 1;
    PrintSound("sequence", n, length, image.data());
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

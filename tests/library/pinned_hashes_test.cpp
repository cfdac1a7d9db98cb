// The library promises the same bytes for the same three numbers in every
// release: these hashes are part of its version contract. A change to any of
// them is a breaking change (a new major version), never a test to update.
// They were taken from the generator as it was first released and agree with
// the files wubble-render writes for the same numbers.
#include <gtest/gtest.h>

#include <vector>

#include "wubble.h"

namespace {

// FNV-1a, 64 bits, over the image content (the first `length` bytes).
uint64_t Fnv1a64(const uint8_t *bytes, int32_t length) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (int32_t i = 0; i < length; i++) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
  return hash;
}

struct Pinned {
  int32_t seed, mutations, volume;
  int32_t length;
  uint64_t hash;
};

const Pinned kPinned[] = {
    {9837320, 0, 5, 175894, 0x7f44ca8db70f46b8ull},     // the tool's first sound
    {9837320, 3, 5, 175138, 0x549d3267811880d3ull},     // mutation rounds
    {123, 0, 127, 198854, 0x0ac9f8f2af0d0657ull},       // full volume
    {-1, 0, 5, 173104, 0xbdc7f1c4fc41b4bfull},          // negative seed
    {-2000000000, 7, 64, 132886, 0x8fc0f1a9973ddf24ull},
};

// Through the shared library, as a game gets it. Each sound is rendered twice,
// in opposite orders, so a result that leaks from one call into the next shows.
TEST(PinnedOutput, ImageHashesOfTheReleasedGenerator) {
  std::vector<uint8_t> image(WUBBLE_IMAGE_BYTES);
  for (int pass = 0; pass < 2; pass++) {
    for (int i = 0; i < 5; i++) {
      const Pinned &p = kPinned[pass == 0 ? i : 4 - i];
      SCOPED_TRACE(testing::Message() << "RenderWubble(" << p.seed << "," << p.mutations
                                      << "," << p.volume << ")");
      int32_t length = RenderWubble(p.seed, p.mutations, p.volume, image.data());
      ASSERT_EQ(length, p.length);
      EXPECT_EQ(Fnv1a64(image.data(), length), p.hash);
    }
  }
}

}  // namespace

// Prints an FNV-1a digest of the image and the parameters of a spread of
// sounds, rendered one after another so that the phase carry-over is covered.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "params.h"
#include "processor.h"
#include "synth.h"
#include "wav_image.h"

static uint64_t Fnv1a(const void *data, size_t size, uint64_t hash) {
  const uint8_t *bytes = static_cast<const uint8_t *>(data);
  for (size_t i = 0; i < size; i++) hash = (hash ^ bytes[i]) * 1099511628211ull;
  return hash;
}

static std::string Digests() {
  std::string lines;
  std::vector<uint8_t> image(kWavImageBytes);
  const int32_t seeds[] = {9837320, 0, 1, -1, 5, 13, 14, 73, 1308, 115826, 2147483647};
  for (int32_t seed : seeds) {
    for (int32_t mutations : {0, 2, 7}) {
      std::fill(image.begin(), image.end(), 0);
      int32_t length = RenderWubbleImage(seed, mutations, 5 + mutations, image.data());
      uint64_t hash = Fnv1a(image.data(), image.size(), 14695981039346656037ull);
      hash = Fnv1a(&effect_params, sizeof effect_params, hash);
      char line[80];
      std::snprintf(line, sizeof line, "%d %d %d %016llx\n", seed, mutations, length, (unsigned long long)hash);
      lines += line;
    }
  }
  return lines;
}

// Also fails when the builds for the instruction sets disagree.
int main() {
  AllocateSynthArrays();
  std::string widest;
  InstructionSet ran_last = kAvx512Set;
  for (InstructionSet set : {kAvx512Set, kAvx2Set, kBaselineSet}) {
    widest_set_allowed = set;
    // A set this build or processor lacks would run the same build again.
    if (!widest.empty() && InstructionSetInUse() == ran_last) continue;
    ran_last = InstructionSetInUse();
    synth.phase = 0;
    std::string digests = Digests();
    if (widest.empty()) {
      widest = digests;
      std::fputs(digests.c_str(), stdout);
    } else if (digests != widest) {
      std::fprintf(stderr, "the build for set %d differs:\n%s", int(set), digests.c_str());
      return 1;
    }
  }
  return 0;
}

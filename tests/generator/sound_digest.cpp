// Prints an FNV-1a digest of the image and the parameters of a spread of
// sounds, rendered one after another so that the phase carry-over is covered.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "default_generator.h"
#include "wav_image.h"

using namespace wubble;

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
      int32_t length = RenderWubbleImage(seed, mutations, 5 + mutations, image.data());
      uint64_t hash = Fnv1a(image.data(), image.size(), 14695981039346656037ull);
      hash = Fnv1a(&default_generator.params, sizeof default_generator.params, hash);
      char line[80];
      std::snprintf(line, sizeof line, "%d %d %d %016llx\n", seed, mutations, length, (unsigned long long)hash);
      lines += line;
    }
  }
  return lines;
}

int main() {
  std::fputs(Digests().c_str(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

// One oscilloscope pass: the picture of 191 samples drawn into the image
// buffer that the image control shows.
#include <benchmark/benchmark.h>

#include <vector>

#include "scope_picture.h"
#include "wubble.h"

namespace {

void ScopePass(benchmark::State &state) {
  std::vector<uint8_t> image(WUBBLE_IMAGE_BYTES);
  RenderWubble(5, 0, 5, image.data());
  std::vector<uint8_t> pixels(kScopeBytes);
  uint32_t position = 2;
  for (auto _ : state) {
    RenderScope(image.data(), position, pixels.data());
    benchmark::DoNotOptimize(pixels.data());
    // Walk through the sound as playback would, a few hundred bytes a pass.
    position = position >= 250000u ? 2u : position + 882u;
  }
}

}  // namespace

BENCHMARK(ScopePass)->Name("Product/scope_pass")->Unit(benchmark::kMicrosecond);

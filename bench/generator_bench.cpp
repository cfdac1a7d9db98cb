// Generator benchmarks. Each sound case runs twice: "before" is the frozen
// straightforward generator the tests use as their oracle, "after" is the
// product. Both render every sound as the first of a run, into a zeroed
// image, so they make the same samples.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "default_generator.h"
#include "reference_generator.h"
#include "wav_image.h"
#include "wubble.h"

namespace {

void Product(benchmark::State &state, int32_t seed, int32_t mutations) {
  std::vector<uint8_t> image(wubble::kWavImageBytes);
  for (auto _ : state) {
    RenderWubble(seed, mutations, 5, image.data());
    benchmark::DoNotOptimize(image.data());
  }
}

void Before(benchmark::State &state, int32_t seed, int32_t mutations) {
  reference::AllocateSynthArrays();
  std::vector<uint8_t> image(reference::kWavImageBytes);
  for (auto _ : state) {
    reference::synth.phase = 0;
    std::fill(image.begin(), image.end(), 0);
    reference::RenderWubbleImage(seed, mutations, 5, image.data());
    benchmark::DoNotOptimize(image.data());
  }
}

void MutationRounds(benchmark::State &state) {
  for (auto _ : state) {
    wubble::GenerateEffectParams(9837320);
    wubble::MutateEffectParams(100);
    benchmark::DoNotOptimize(wubble::default_generator.params);
  }
}

void MutationRoundsBefore(benchmark::State &state) {
  for (auto _ : state) {
    reference::GenerateEffectParams(9837320);
    reference::MutateEffectParams(100);
    benchmark::DoNotOptimize(reference::effect_params);
  }
}

}  // namespace

#define SOUND_CASE(name, seed, mutations)                                  \
  BENCHMARK_CAPTURE(Before, name, seed, mutations)->Unit(benchmark::kMillisecond); \
  BENCHMARK_CAPTURE(Product, name, seed, mutations)->Unit(benchmark::kMillisecond)

SOUND_CASE(saw_5, 5, 0);
SOUND_CASE(sine_13, 13, 0);
SOUND_CASE(noise_14, 14, 0);
SOUND_CASE(noise_1308, 1308, 0);
SOUND_CASE(typical_9837320, 9837320, 0);
SOUND_CASE(retrigger_73, 73, 0);
BENCHMARK(MutationRoundsBefore)->Name("Before/mutations_100")->Unit(benchmark::kMicrosecond);
BENCHMARK(MutationRounds)->Name("Product/mutations_100")->Unit(benchmark::kMicrosecond);

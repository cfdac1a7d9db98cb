// Generator benchmarks. Each sound case runs twice: "before" is the frozen
// straightforward generator the tests use as their oracle, "after" is the
// product. Both start every sound at phase 0 so they make the same samples.
#include <benchmark/benchmark.h>

#include <vector>

#include "create_wubble.h"
#include "params.h"
#include "reference_generator.h"
#include "synth.h"
#include "wav_image.h"

namespace {

void Product(benchmark::State &state, int32_t seed, int32_t mutations) {
  AllocateSynthArrays();
  std::vector<uint8_t> copy(kWavImageBytes);
  for (auto _ : state) {
    synth.phase = 0;
    CreateWubble(seed, mutations, 5, 1, copy.data());
    benchmark::DoNotOptimize(copy.data());
  }
}

void Before(benchmark::State &state, int32_t seed, int32_t mutations) {
  reference::AllocateSynthArrays();
  std::vector<uint8_t> image(kWavImageBytes);
  for (auto _ : state) {
    reference::synth.phase = 0;
    // The same work as the entry without a device: a fresh zeroed image,
    // the render, and the copy to the caller's buffer.
    std::vector<uint8_t> fresh(kWavImageBytes);
    reference::RenderWubbleImage(seed, mutations, 5, fresh.data());
    image = fresh;
    benchmark::DoNotOptimize(image.data());
  }
}

void MutationRounds(benchmark::State &state) {
  for (auto _ : state) {
    GenerateEffectParams(9837320);
    MutateEffectParams(100);
    benchmark::DoNotOptimize(effect_params);
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

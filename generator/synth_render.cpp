// The render loop of the synthesis: per-sample steps, oscillator and passes
// for each sample until the sound ends, specialised per waveform and per
// kind of low-pass. The per-sample steps and the oscillator never read the
// filters, so they run one sample ahead of the filter passes, which overlaps
// their work with the passes' chain.
#include "generator.h"
#include "oscillator.h"
#include "params.h"
#include "processor.h"
#include "sample_steps.h"
#include "synth.h"
#include "synth_passes.h"

namespace {

using namespace passes;

// Samples until the sound ends or `max_count` are made, each handed to
// `out` with its index, as the sum of its passes before the output scaling.
// With kAhead the next sample's per-sample steps and oscillator run before
// the current sample is handed out, which is invisible to a sink that only
// stores; without it the state is complete whenever `out` runs. `Steps`
// names the build of StepSample to call. Everything the render touches is
// in `g`, reached from the one reference handed down.
template <int kWaveform, int kLowPass, bool kAhead, typename Steps, typename Out>
WUBBLE_INLINE int32_t RenderRun(WubbleGenerator &g, int32_t max_count, Out out) {
  SynthState &s = g.synth;
  if (max_count <= 0 || s.running == 0) return 0;
  FilterState f = LoadFilterState(s);
  f.finite = FiltersFinite(f);
  if (kWaveform == 3 && kAhead) OpenNoise(g);
  SampleInputs inputs[2];
  int current = 0;
  int32_t count = 0;
  Steps::Step(g, inputs[current]);
  FillOscillator<kWaveform>(g, inputs[current]);
  for (;;) {
    bool more = s.running != 0 && count + 1 < max_count;
    SampleInputs *next = nullptr;
    if (kAhead && more) {
      next = &inputs[current ^ 1];
      Steps::Step(g, *next);
    }
    float acc = SamplePasses<kLowPass, kWaveform>(g, f, inputs[current], next);
    if (!kAhead) StoreFilterState(s, f);
    out(count, acc);
    count++;
    if (!more) break;
    current ^= 1;
    if (!kAhead) {
      Steps::Step(g, inputs[current]);
      FillOscillator<kWaveform>(g, inputs[current]);
    }
  }
  StoreFilterState(s, f);
  if (kWaveform == 3 && kAhead) CloseNoise(g);
  return count;
}

// The render loop is built twice (see processor.h). StepSample goes with
// it: a call of its own either way.
struct BaselineSteps {
  static void Step(WubbleGenerator &g, SampleInputs &in) { StepSample(g, in); }
};

template <int kWaveform, int kLowPass, bool kAhead, typename Out>
WUBBLE_NOINLINE int32_t RenderRunBaseline(WubbleGenerator &g, int32_t max_count, Out out) {
  return RenderRun<kWaveform, kLowPass, kAhead, BaselineSteps>(g, max_count, out);
}

#if WUBBLE_WIDE_BUILDS
WUBBLE_AVX2_TARGET WUBBLE_NOINLINE void StepSampleAvx2(WubbleGenerator &g, SampleInputs &in) { StepSampleBody(g, in); }

struct Avx2Steps {
  static void Step(WubbleGenerator &g, SampleInputs &in) { StepSampleAvx2(g, in); }
};

template <int kWaveform, int kLowPass, bool kAhead, typename Out>
WUBBLE_AVX2_TARGET WUBBLE_NOINLINE int32_t RenderRunAvx2(WubbleGenerator &g, int32_t max_count, Out out) {
  return RenderRun<kWaveform, kLowPass, kAhead, Avx2Steps>(g, max_count, out);
}
#endif

// Only the renders that make a whole sound are worth the second build.
template <int kWaveform, int kLowPass, bool kAhead, typename Out>
int32_t RenderChosen(WubbleGenerator &g, int32_t max_count, Out out) {
#if WUBBLE_WIDE_BUILDS
  if (kAhead && InstructionSetInUse() >= kAvx2Set) return RenderRunAvx2<kWaveform, kLowPass, kAhead>(g, max_count, out);
#endif
  return RenderRunBaseline<kWaveform, kLowPass, kAhead>(g, max_count, out);
}

template <int kWaveform, bool kAhead, typename Out>
int32_t RenderWaveform(WubbleGenerator &g, int32_t max_count, Out out) {
  if (g.params.lowpass_cutoff == 1.0f) return RenderChosen<kWaveform, kBypassed, kAhead>(g, max_count, out);
  // lp_damping changes only at a full reset, never within a render.
  if (ExactComplement(g.synth.lp_damping) == ExactComplement(g.synth.lp_damping))
    return RenderChosen<kWaveform, kExactKeep, kAhead>(g, max_count, out);
  return RenderChosen<kWaveform, kPlainDamping, kAhead>(g, max_count, out);
}

template <bool kAhead, typename Out>
int32_t Render(WubbleGenerator &g, int32_t max_count, Out out) {
  switch (g.params.waveform) {
    case 0: return RenderWaveform<0, kAhead>(g, max_count, out);
    case 1: return RenderWaveform<1, kAhead>(g, max_count, out);
    case 2: return RenderWaveform<2, kAhead>(g, max_count, out);
    case 3: return RenderWaveform<3, kAhead>(g, max_count, out);
    default: return RenderWaveform<-1, kAhead>(g, max_count, out);
  }
}

}  // namespace

float RenderOneSample(float volume_gain) {
  float level = 0.0f;
  Render<false>(default_generator, 1, [&](int32_t, float acc) { level = ScaleOutput(acc, volume_gain); });
  return level;
}

int32_t RenderSamples(float volume_gain, SampleSink sink, void *user) {
  return Render<false>(default_generator, kMaxSamples, [&](int32_t, float acc) {
    sink(ToSample(ScaleOutput(acc, volume_gain)), user);
  });
}

int32_t RenderSamplesInto(WubbleGenerator &g, float volume_gain, uint8_t *out) {
  // The sums wait in blocks and are scaled a block at a time, four at once.
  constexpr int32_t kBlock = 64;
  float sums[kBlock];
  int32_t first = 0;  // index of sums[0]
  auto store = [&](int32_t index, float acc) WUBBLE_LAMBDA_INLINE {
    sums[index - first] = acc;
    if (index - first == kBlock - 1) {
      ScaleSamplesInto(sums, kBlock, volume_gain, out + 2 * first);
      first += kBlock;
    }
  };
  int32_t count = Render<true>(g, kMaxSamples, store);
  ScaleSamplesInto(sums, count - first, volume_gain, out + 2 * first);
  return count;
}

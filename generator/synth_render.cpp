// The render loop of the synthesis: per-sample steps, oscillator and passes
// for each sample until the sound ends, specialised per waveform and per
// kind of low-pass. The per-sample steps and the oscillator never read the
// filters, so they run one sample ahead of the filter passes, which
// overlaps their work with the passes' chain.
#include "compiler.h"
#include "generator.h"
#include "oscillator.h"
#include "sample_steps.h"
#include "synth.h"
#include "synth_passes.h"

namespace wubble {

namespace {

// Up to `max_count` samples, until the sound ends, each stored in `sums` as
// the sum of its passes. The last sample made runs no steps ahead, so the
// state is complete when it returns. A function of its own for each kind
// of sound: inlined into the dispatch, the loop runs slower.
template <int kWaveform, int kLowPass>
WUBBLE_NOINLINE int32_t RenderRun(WubbleGenerator &g, float *sums, int32_t max_count) {
  SynthState &s = g.synth;
  if (max_count <= 0 || s.running == 0) return 0;
  FilterState f = LoadFilterState(s);
  f.finite = FiltersFinite(f);
  if (kWaveform == 3) OpenNoise(g);
  SampleInputs inputs[2];
  int current = 0;
  int32_t count = 0;
  StepSample(g, inputs[current]);
  FillOscillator<kWaveform>(g, inputs[current]);
  for (;;) {
    bool more = s.running != 0 && count + 1 < max_count;
    SampleInputs *next = more ? &inputs[current ^ 1] : nullptr;
    if (next) StepSample(g, *next);
    sums[count++] = SamplePasses<kLowPass, kWaveform>(g, f, inputs[current], next);
    if (!more) break;
    current ^= 1;
  }
  StoreFilterState(s, f);
  if (kWaveform == 3) CloseNoise(g);
  return count;
}

template <int kWaveform>
int32_t RenderWaveform(WubbleGenerator &g, float *sums, int32_t max_count) {
  if (g.params.lowpass_cutoff == 1.0f) return RenderRun<kWaveform, kBypassed>(g, sums, max_count);
  // lp_damping changes only at a full reset, never within a render.
  if (ExactComplement(g.synth.lp_damping) == ExactComplement(g.synth.lp_damping))
    return RenderRun<kWaveform, kExactKeep>(g, sums, max_count);
  return RenderRun<kWaveform, kPlainDamping>(g, sums, max_count);
}

}  // namespace

int32_t RenderSums(WubbleGenerator &g, float *sums, int32_t max_count) {
  switch (g.params.waveform) {
    case 0: return RenderWaveform<0>(g, sums, max_count);
    case 1: return RenderWaveform<1>(g, sums, max_count);
    case 2: return RenderWaveform<2>(g, sums, max_count);
    case 3: return RenderWaveform<3>(g, sums, max_count);
    default: return RenderWaveform<-1>(g, sums, max_count);
  }
}

int32_t RenderSamples(WubbleGenerator &g, float volume_gain, uint8_t *out) {
  // The sums wait in blocks and are scaled a block at a time.
  constexpr int32_t kBlock = 1024;
  float sums[kBlock];
  int32_t count = 0;
  while (count < kMaxSamples) {
    int32_t wanted = kMaxSamples - count < kBlock ? kMaxSamples - count : kBlock;
    int32_t made = RenderSums(g, sums, wanted);
    ScaleSamples(sums, made, volume_gain, out + 2 * count);
    count += made;
    if (made < wanted) break;
  }
  return count;
}

}  // namespace wubble

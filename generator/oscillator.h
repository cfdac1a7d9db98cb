// The oscillator of the synthesis, as the render runs it: 9 steps a sample,
// each giving the value of one pass as a double (a single, widened).
//
// Two things are kept rather than worked out again: the sine of each phase
// while the period stays the same, and a noise refill's draws, raw, until
// an entry is read. The render loop includes this, to have it inlined.
#pragma once
#include <cstdint>

#include "generator.h"
#include "random.h"
#include "synth.h"

namespace wubble {

// phase / period_int rounded to single, period_int > 0.
inline float Fraction(int32_t phase, int32_t period_int) { return float(double(phase) / period_int); }

// Starts a new set of kept sines when the period changes.
void ChooseSinePeriod(SineCache &c, int32_t period_int);
float PlainSine(float frac);

inline float SineAt(SineCache &c, int32_t phase, int32_t period_int) {
  if (period_int >= kSineCacheSize) return PlainSine(Fraction(phase, period_int));
  if (c.stamps[phase] != c.stamp) {
    c.values[phase] = PlainSine(Fraction(phase, period_int));
    c.stamps[phase] = c.stamp;
  }
  return c.values[phase];
}

// The 10001 values RandomSpan(2) - 1 rounded to single can take, by the
// index the draw picks (ScaleDraw(draw, 10001)); filled once, shared.
const double *SignedSpanValues();

// The noise source (see generator.h) around a render.
void OpenNoise(WubbleGenerator &g);
void CloseNoise(WubbleGenerator &g);

inline void RefillNoise(WubbleGenerator &g) {
  NoiseSource &noise = g.noise;
  if (noise.open) {
    noise.refill = TakeRandomSteps(noise.run, 33);
  } else {
    FillNoise(g);
  }
}

inline double NoiseAt(const WubbleGenerator &g, uint32_t index) {
  const NoiseSource &noise = g.noise;
  if (noise.refill == 0) return g.noise_buffer[index];
  return noise.values[ScaleDraw(RunDraw(noise.run, noise.refill + int32_t(index)), 10001u)];
}

// One sample's oscillator, in locals while its 9 steps run.
struct OscillatorRun {
  int32_t phase, period_int;
  float duty;
};

// Reads the oscillator's state from the generator's SynthState;
// EndOscillator writes it back.
template <int kWaveform>
inline OscillatorRun StartOscillator(WubbleGenerator &g) {
  const SynthState &s = g.synth;
  if (kWaveform == 2) ChooseSinePeriod(g.sine, s.period_int);
  return OscillatorRun{s.phase, s.period_int, s.duty};
}

inline void EndOscillator(WubbleGenerator &g, const OscillatorRun &o) { g.synth.phase = o.phase; }

template <int kWaveform>
inline double StepOscillator(WubbleGenerator &g, OscillatorRun &o) {
  o.phase += 1;
  if (o.phase >= o.period_int) {
    o.phase = o.phase % o.period_int;
    if (kWaveform == 3) RefillNoise(g);
  }
  switch (kWaveform) {
    case 0: return Fraction(o.phase, o.period_int) < o.duty ? 0.5 : -0.5;
    case 1: return float(1.0f - double(Fraction(o.phase, o.period_int)) * 2.0f);
    case 2: return SineAt(g.sine, o.phase, o.period_int);
    case 3: return NoiseAt(g, uint32_t(int64_t(o.phase) * 32 / o.period_int));
    default: return 0.0;
  }
}

}  // namespace wubble

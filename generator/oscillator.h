// The oscillator of the synthesis, as the render runs it: 9 steps a sample,
// each giving the value of one pass as a double (a single, widened).
//
// It does as little floating-point work as it exactly can, because the
// passes keep the floating-point units busy with their own long chain, and
// floating-point work beside them costs about as much as if it ran alone:
// - the saw divides by a period converted once a sample;
// - the square compares the phase with the first phase whose fraction
//   reaches the duty, found once a sample;
// - the noise index is an integer quotient;
// - the sine is kept per phase while the period stays the same.
#pragma once
#include <cstdint>

#include "generator.h"
#include "random.h"
#include "synth.h"

// phase / period_int rounded to single, both integers, period_int > 0.
inline float Fraction(int32_t phase, int32_t period_int) {
  // Whole numbers below 2^24 are exact in single, and a single division
  // rounds the exact quotient as the double one then rounded does.
  if (period_int < (1 << 24)) return float(phase) / float(period_int);
  return float(double(phase) / double(period_int));
}

// The least phase in 0..period_int whose Fraction is not below `duty`;
// period_int when there is none, 0 for a NaN duty (no fraction is below it).
int32_t SquareEdge(int32_t period_int, float duty);

void ChooseSinePeriod(SineCache &c, int32_t period_int);
inline void ChooseSinePeriod(int32_t period_int) { ChooseSinePeriod(default_generator.sine, period_int); }
float PlainSine(float frac);

inline float SineAt(SineCache &c, int32_t phase, int32_t period_int) {
  if (period_int >= kSineCacheSize) return PlainSine(Fraction(phase, period_int));
  if (c.stamps[phase] != c.stamp) {
    c.values[phase] = PlainSine(Fraction(phase, period_int));
    c.stamps[phase] = c.stamp;
  }
  return c.values[phase];
}
inline float SineAt(int32_t phase, int32_t period_int) { return SineAt(default_generator.sine, phase, period_int); }

// The noise source (see generator.h) around a render that makes its steps
// ahead.
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

inline double NoiseAt(const WubbleGenerator &g, int32_t index) {
  const NoiseSource &noise = g.noise;
  if (noise.refill == 0) return g.noise_buffer[index];
  return noise.values[SpanIndex(RunDraw(noise.run, noise.refill + index))];
}

inline uint32_t NoiseIndex(int32_t phase, int32_t period_int) {
  // (phase * 32) div period_int; the 32-bit division where the product fits.
  uint64_t scaled = uint64_t(uint32_t(phase)) * 32u;
  if (scaled <= UINT32_MAX) return uint32_t(scaled) / uint32_t(period_int);
  return uint32_t(scaled / uint32_t(period_int));
}

// One sample's oscillator, in locals while its 9 steps run.
struct OscillatorRun {
  int32_t phase, period_int;
  float duty;
  int32_t square_edge;  // waveform 0: SquareEdge(period_int, duty)
  float period;         // period_int as a single, exact below 2^24
};

// Reads the oscillator's state from the generator's SynthState;
// EndOscillator writes it back.
template <int kWaveform>
inline OscillatorRun StartOscillator(WubbleGenerator &g) {
  const SynthState &s = g.synth;
  if (kWaveform == 2) ChooseSinePeriod(g.sine, s.period_int);
  int32_t edge = kWaveform == 0 ? SquareEdge(s.period_int, s.duty) : 0;
  return OscillatorRun{s.phase, s.period_int, s.duty, edge, float(s.period_int)};
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
    case 0: return o.phase < o.square_edge ? 0.5 : -0.5;
    case 1: {
      // Whole numbers below 2^24 are exact in single, and a single division
      // rounds the exact quotient as the double one then rounded does; the
      // doubling is exact, and the subtraction of two singles in single is
      // the subtraction in double rounded once.
      float frac = o.period_int < (1 << 24) ? float(o.phase) / o.period : Fraction(o.phase, o.period_int);
      return 1.0f - frac * 2.0f;
    }
    case 2: return SineAt(g.sine, o.phase, o.period_int);
    case 3: return NoiseAt(g, int32_t(NoiseIndex(o.phase, o.period_int)));
    default: return 0.0;
  }
}

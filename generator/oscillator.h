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

// Sines of the current period, by phase, valid while their stamp matches.
// Periods up to 65535 (any pitch above 0.023) are kept; longer ones, rare
// and slow anyway, are worked out every pass, which keeps the cache's
// memory at 512 KiB.
constexpr int32_t kSineCacheSize = 1 << 16;
extern float sine_values[kSineCacheSize];
extern uint32_t sine_stamps[kSineCacheSize];
extern uint32_t sine_stamp;

void ChooseSinePeriod(int32_t period_int);
float PlainSine(float frac);

inline float SineAt(int32_t phase, int32_t period_int) {
  if (period_int >= kSineCacheSize) return PlainSine(Fraction(phase, period_int));
  if (sine_stamps[phase] != sine_stamp) {
    sine_values[phase] = PlainSine(Fraction(phase, period_int));
    sine_stamps[phase] = sine_stamp;
  }
  return sine_values[phase];
}

// Where the noise oscillator reads its table. Within a render that makes
// its steps ahead, a refill leaves its 33 draws raw in a random run and only
// the entries read become values; NoiseBuffer gets all 33 when the render
// ends. The values are those FillNoise would store.
struct NoiseSource {
  RandomRun run;
  bool open = false;    // refills take their draws from `run`
  int32_t refill = -1;  // position in `run` of the last refill, -1: NoiseBuffer holds it
  const double *values = nullptr;  // the SignedSpanValues, widened
};
extern NoiseSource noise;

void OpenNoise();
void CloseNoise();

inline void RefillNoise() {
  if (noise.open) {
    noise.refill = TakeRandomSteps(noise.run, 33);
  } else {
    FillNoise();
  }
}

inline double NoiseAt(int32_t index) {
  if (noise.refill < 0) return NoiseBuffer[index];
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

// Reads the oscillator's state from `synth`; EndOscillator writes it back.
template <int kWaveform>
inline OscillatorRun StartOscillator() {
  const SynthState &s = synth;
  if (kWaveform == 2) ChooseSinePeriod(s.period_int);
  int32_t edge = kWaveform == 0 ? SquareEdge(s.period_int, s.duty) : 0;
  return OscillatorRun{s.phase, s.period_int, s.duty, edge, float(s.period_int)};
}

inline void EndOscillator(const OscillatorRun &o) { synth.phase = o.phase; }

template <int kWaveform>
inline double StepOscillator(OscillatorRun &o) {
  o.phase += 1;
  if (o.phase >= o.period_int) {
    o.phase = o.phase % o.period_int;
    if (kWaveform == 3) RefillNoise();
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
    case 2: return SineAt(o.phase, o.period_int);
    case 3: return NoiseAt(int32_t(NoiseIndex(o.phase, o.period_int)));
    default: return 0.0;
  }
}

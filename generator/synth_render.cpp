// The per-sample step of the synthesis and its 9 passes.
//
// The passes run with the state in locals and are specialised per waveform
// and for the bypassed low-pass; they compute exactly what the plain rules
// say, and a few rewrites keep the same bits while shortening the chain of
// dependent operations from one pass to the next:
// - an operation on two floats whose exact result is rounded once to float
//   gives the same value computed in float as in double then rounded;
// - x - x * d, with x and d floats, equals x * (1 - d) rounded once when
//   1 - d is exact in double and x is finite and non-zero: x * d is exact in
//   double, so both forms round the same real number once;
// - a sine depends only on the phase and the whole-number period, so its
//   value is kept for the rest of the run of one period.
#include <cmath>

#include "numeric.h"
#include "params.h"
#include "random.h"
#include "synth.h"

namespace {

void AdvanceRetrigger() {
  synth.retrigger_time += 1;
  if (synth.retrigger_limit != 0 && synth.retrigger_time >= synth.retrigger_limit) {
    synth.retrigger_time = 0;
    ResetSynth(0);
  }
}

void AdvancePitch(const EffectParams &p) {
  SynthState &s = synth;
  s.step_time += 1;
  if (s.step_limit != 0 && s.step_time >= s.step_limit) {
    s.step_limit = 0;
    s.period = s.period * s.step_mul;
  }
  s.slide = s.slide + s.slide_accel;
  s.period = s.period * s.slide;
  if (s.period > s.max_period) {
    s.period = s.max_period;
    if (p.pitch_floor > 0.0f) s.running = 0;  // this sample is still delivered
  }
  float vib_period = float(s.period);
  if (s.wobble_amp > 0.0f) {
    s.wobble_phase = s.wobble_phase + s.wobble_speed;
    vib_period = float(s.period * (1.0f + std::sin(double(s.wobble_phase)) * s.wobble_amp));
  }
  s.period_int = RoundToInt(vib_period);
  if (s.period_int < 8) s.period_int = 8;
  s.duty = s.duty + s.duty_sweep;
  if (s.duty < 0.0f) s.duty = 0.0f;
  if (s.duty > 0.5f) s.duty = 0.5f;
}

// A stage of length 0 has one sample, at env_time 0; its fraction is taken as
// 0 rather than 0/0, so the sample gets the stage's start value.
double StageFraction(int32_t stage) {
  int32_t length = StageLengths[stage];
  return length == 0 ? 0.0 : double(synth.env_time) / double(length);
}

void AdvanceEnvelope(const EffectParams &p) {
  SynthState &s = synth;
  s.env_time += 1;
  if (s.env_time > StageLengths[s.env_stage]) {
    s.env_time = 0;
    s.env_stage += 1;
    if (s.env_stage == 3) s.running = 0;
  }
  if (s.env_stage == 0) {
    s.env_vol = float(StageFraction(0));
  } else if (s.env_stage == 1) {
    float base = float(1.0f - StageFraction(1));
    s.env_vol = float(1.0f + double(PowSingle(base, 1.0f)) * 2.0f * p.punch);
  } else if (s.env_stage == 2) {
    s.env_vol = float(1.0f - StageFraction(2));
  }
}

void AdvanceEffects() {
  SynthState &s = synth;
  s.phaser_pos = s.phaser_pos + s.phaser_delta;
  s.phaser_lag = RoundToInt(std::fabs(s.phaser_pos));
  if (s.phaser_lag > 1023) s.phaser_lag = 1023;
  if (s.hp_coeff_mul != 0.0f) {
    s.hp_coeff = s.hp_coeff * s.hp_coeff_mul;
    if (s.hp_coeff < 0.00001f) s.hp_coeff = 0.00001f;
    if (s.hp_coeff > 0.1f) s.hp_coeff = 0.1f;
  }
}

// x - x * d rounded to single; `keep` is 1 - d when that is exact in double,
// else NaN.
inline float Damp(float x, float d, double keep) {
  if (keep == keep && x != 0.0f && std::isfinite(x)) return float(double(x) * keep);
  return float(double(x) - double(x) * d);
}

double ExactComplement(float d) {
  double keep = 1.0 - double(d);
  return 1.0 - keep == double(d) ? keep : NAN;
}

// Sines of the current period, by phase, valid while their stamp matches.
constexpr int32_t kSineCacheSize = 1 << 17;
float sine_values[kSineCacheSize];
uint32_t sine_stamps[kSineCacheSize];
uint32_t sine_stamp;
int32_t sine_period;

void ChooseSinePeriod(int32_t period_int) {
  if (period_int == sine_period) return;
  sine_period = period_int;
  if (++sine_stamp == 0) {  // after 2^32 changes, start the stamps afresh
    for (uint32_t &stamp : sine_stamps) stamp = 0;
    sine_stamp = 1;
  }
}

inline float PlainSine(float frac) { return float(std::sin(double(frac) * 2.0f * 3.1415927f)); }

inline float Fraction(int32_t phase, int32_t period_int) {
  // Whole numbers below 2^24 are exact in single, and a single division
  // rounds the exact quotient as the double one then rounded does.
  if (period_int < (1 << 24)) return float(phase) / float(period_int);
  return float(double(phase) / double(period_int));
}

inline float SineAt(int32_t phase, int32_t period_int) {
  if (period_int >= kSineCacheSize) return PlainSine(Fraction(phase, period_int));
  if (sine_stamps[phase] != sine_stamp) {
    sine_values[phase] = PlainSine(Fraction(phase, period_int));
    sine_stamps[phase] = sine_stamp;
  }
  return sine_values[phase];
}

// The state the passes of one sample change or read, held in locals.
struct PassState {
  int32_t phase, period_int;
  float duty;
  float lp_out, lp_delta, lp_coeff, lp_coeff_mul, lp_damping;
  double lp_keep;
  float hp_out, hp_coeff;
  double hp_keep;
  uint32_t phaser_write, phaser_lag;
  float env_vol;
};

template <int kWaveform>
inline float Oscillator(PassState &ps) {
  ps.phase += 1;
  if (ps.phase >= ps.period_int) {
    ps.phase = ps.phase % ps.period_int;
    if (kWaveform == 3) FillNoise();
  }
  switch (kWaveform) {
    case 0: return Fraction(ps.phase, ps.period_int) < ps.duty ? 0.5f : -0.5f;
    case 1: return 1.0f - Fraction(ps.phase, ps.period_int) * 2.0f;  // both steps exact in double
    case 2: return SineAt(ps.phase, ps.period_int);
    case 3: {
      // The quotient of two integers below 2^48 truncated from double is
      // the integer quotient: its rounding error is below 1 / period.
      int32_t index = int32_t(double(ps.phase) * 32.0 / double(ps.period_int));
      return NoiseBuffer[index];
    }
    default: return 0.0f;
  }
}

template <bool kBypass>
inline float Filters(PassState &ps, float sub) {
  float lp_prev = ps.lp_out;
  ps.lp_coeff = ps.lp_coeff * ps.lp_coeff_mul;
  if (ps.lp_coeff < 0.0f) ps.lp_coeff = 0.0f;
  if (ps.lp_coeff > 0.1f) ps.lp_coeff = 0.1f;
  if (kBypass) {
    ps.lp_out = sub;
    ps.lp_delta = 0.0f;
  } else {
    ps.lp_delta = float(double(ps.lp_delta) + (double(sub) - ps.lp_out) * ps.lp_coeff);
    ps.lp_delta = Damp(ps.lp_delta, ps.lp_damping, ps.lp_keep);
  }
  ps.lp_out = ps.lp_out + ps.lp_delta;
  ps.hp_out = float(double(ps.hp_out) + (double(ps.lp_out) - lp_prev));
  return ps.hp_out = Damp(ps.hp_out, ps.hp_coeff, ps.hp_keep);
}

inline float Phaser(PassState &ps, float sub) {
  // Unsigned index arithmetic: only the low 10 bits matter, and a lag of
  // INT32_MIN (an out-of-range conversion) must not overflow.
  PhaserBuffer[ps.phaser_write & 1023u] = sub;
  float delayed = PhaserBuffer[(ps.phaser_write - ps.phaser_lag + 1024u) & 1023u];
  ps.phaser_write = (ps.phaser_write + 1u) & 1023u;
  return sub + delayed;
}

PassState LoadPassState() {
  const SynthState &s = synth;
  return PassState{s.phase, s.period_int, s.duty,
                   s.lp_out, s.lp_delta, s.lp_coeff, s.lp_coeff_mul, s.lp_damping,
                   ExactComplement(s.lp_damping),
                   s.hp_out, s.hp_coeff, ExactComplement(s.hp_coeff),
                   uint32_t(s.phaser_write), uint32_t(s.phaser_lag), s.env_vol};
}

void StorePassState(const PassState &ps) {
  SynthState &s = synth;
  s.phase = ps.phase;
  s.lp_out = ps.lp_out;
  s.lp_delta = ps.lp_delta;
  s.lp_coeff = ps.lp_coeff;
  s.hp_out = ps.hp_out;
  s.phaser_write = int32_t(ps.phaser_write);
}

template <int kWaveform, bool kBypass>
float RunPasses() {
  PassState ps = LoadPassState();
  if (kWaveform == 2) ChooseSinePeriod(ps.period_int);
  float acc = 0.0f;
  for (int pass = 0; pass < 9; pass++) {
    float sub = Phaser(ps, Filters<kBypass>(ps, Oscillator<kWaveform>(ps)));
    acc = float(double(acc) + double(sub) * ps.env_vol);
  }
  StorePassState(ps);
  return acc;
}

// Samples until the sound ends or `max_count` are made, each handed to
// `out` as its level before the conversion to 16 bits.
template <int kWaveform, bool kBypass, typename Out>
int32_t RenderRun(float volume_gain, int32_t max_count, Out out) {
  const EffectParams &p = effect_params;
  int32_t count = 0;
  while (count < max_count && synth.running != 0) {
    AdvanceRetrigger();
    AdvancePitch(p);
    AdvanceEnvelope(p);
    AdvanceEffects();
    out(ScaleOutput(RunPasses<kWaveform, kBypass>(), volume_gain));
    count++;
  }
  return count;
}

template <int kWaveform, typename Out>
int32_t RenderWaveform(float volume_gain, int32_t max_count, Out out) {
  if (effect_params.lowpass_cutoff == 1.0f) return RenderRun<kWaveform, true>(volume_gain, max_count, out);
  return RenderRun<kWaveform, false>(volume_gain, max_count, out);
}

template <typename Out>
int32_t Render(float volume_gain, int32_t max_count, Out out) {
  switch (effect_params.waveform) {
    case 0: return RenderWaveform<0>(volume_gain, max_count, out);
    case 1: return RenderWaveform<1>(volume_gain, max_count, out);
    case 2: return RenderWaveform<2>(volume_gain, max_count, out);
    case 3: return RenderWaveform<3>(volume_gain, max_count, out);
    default: return RenderWaveform<-1>(volume_gain, max_count, out);
  }
}

int16_t ToSample(float level) { return int16_t(RoundToInt(level)); }

}  // namespace

float ScaleOutput(float acc, float volume_gain) {
  acc = float(double(acc) / 8.0f * 0.05f);  // 8 although there are 9 passes
  acc = float(double(acc) * (double(volume_gain) * 2.0f));
  acc = acc * 3.0f;
  if (acc > 1.0f) acc = 1.0f;
  if (!(acc >= -1.0f)) acc = -1.0f;  // a NaN goes to -1, as on the original platform
  return acc * 30000.0f;
}

float RenderOneSample(float volume_gain) {
  float level = 0.0f;
  Render(volume_gain, 1, [&](float l) { level = l; });
  return level;
}

int32_t RenderSamples(float volume_gain, SampleSink sink, void *user) {
  return Render(volume_gain, kMaxSamples, [&](float level) { sink(ToSample(level), user); });
}

int32_t RenderSamplesInto(float volume_gain, uint8_t *out) {
  return Render(volume_gain, kMaxSamples, [&](float level) {
    uint16_t sample = uint16_t(ToSample(level));
    out[0] = uint8_t(sample);
    out[1] = uint8_t(sample >> 8);
    out += 2;
  });
}

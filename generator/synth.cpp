#include "synth.h"

#include <cmath>
#include <cstdlib>

#include "numeric.h"
#include "params.h"
#include "random.h"

// Every assignment evaluates in double and rounds once to its destination:
// fields are widened with double() before they meet other operands, and
// single-precision constants (the f suffix) widen exactly where they meet a
// double. Literals without a suffix are double constants.

SynthState synth;
int32_t *StageLengths;
float *PhaserBuffer;
float *NoiseBuffer;

template <typename T>
static T *ReplaceArray(T *old, int count) {
  std::free(old);
  return static_cast<T *>(std::calloc(count, sizeof(T)));
}

void AllocateSynthArrays() {
  StageLengths = ReplaceArray(StageLengths, kStageLengthsSize);
  PhaserBuffer = ReplaceArray(PhaserBuffer, kPhaserBufferSize);
  NoiseBuffer = ReplaceArray(NoiseBuffer, kNoiseBufferSize);
}

static void FillNoise() {
  for (int k = 0; k <= 32; k++) NoiseBuffer[k] = float(RandomSpan(2.0f) - 1.0f);
}

// The pitch part, which a retrigger restarts.
static void ResetPitch(const EffectParams &p) {
  SynthState &s = synth;
  s.period = 100.0 / (double(p.pitch_start) * p.pitch_start + 0.001);
  s.max_period = 100.0 / (double(p.pitch_floor) * p.pitch_floor + 0.001);
  s.slide = 1.0 - PowDouble(p.pitch_slide, 3.0) * 0.01;
  // One unit in the last place above the double nearest to 1e-6.
  s.slide_accel = -PowDouble(p.pitch_slide_accel, 3.0) * 0.0000010000000000000002;
  s.duty = float(0.5f - double(p.pulse_width) * 0.5f);
  s.duty_sweep = float(-double(p.pulse_width_sweep) * 0.00005f);
  double q = PowDouble(p.step_ratio, 2.0);
  s.step_mul = p.step_ratio >= 0.0f ? 1.0 - q * 0.9 : 1.0 + q * 10.0;
  s.step_time = 0;
  float step_base = float(1.0f - double(p.step_speed));
  s.step_limit = RoundToInt(double(PowSingle(step_base, 2.0f)) * 20000.0 + 32.0);
  if (p.step_speed == 1.0f) s.step_limit = 0;
}

static void ResetFilters(const EffectParams &p) {
  SynthState &s = synth;
  s.lp_out = 0.0f;
  s.lp_delta = 0.0f;
  s.lp_coeff = float(double(PowSingle(p.lowpass_cutoff, 3.0f)) * 0.1f);
  s.lp_coeff_mul = float(1.0f + double(p.lowpass_sweep) * 0.0001f);
  double resonance = PowSingle(p.lowpass_resonance, 2.0f);
  s.lp_damping = float(5.0f / (1.0f + resonance * 20.0f) * (0.01f + double(s.lp_coeff)));
  if (s.lp_damping > 0.8f) s.lp_damping = 0.8f;
  s.hp_out = 0.0f;
  s.hp_coeff = float(double(PowSingle(p.highpass_cutoff, 2.0f)) * 0.1f);
  s.hp_coeff_mul = float(1.0f + double(p.highpass_sweep) * 0.0003f);
}

static void ResetEnvelopeAndEffects(const EffectParams &p) {
  SynthState &s = synth;
  s.wobble_phase = 0.0f;
  s.wobble_speed = float(double(PowSingle(p.wobble_rate, 2.0f)) * 0.01f);
  s.wobble_amp = float(double(p.wobble_depth) * 0.5f);
  s.env_vol = 0.0f;
  s.env_stage = 0;
  s.env_time = 0;
  StageLengths[0] = RoundToInt(double(p.attack_time) * p.attack_time * 100000.0f);
  StageLengths[1] = RoundToInt(double(p.hold_time) * p.hold_time * 100000.0f);
  StageLengths[2] = RoundToInt(double(p.release_time) * p.release_time * 100000.0f);
  s.phaser_pos = float(double(PowSingle(p.phaser_offset, 2.0f)) * 1020.0f);
  if (p.phaser_offset < 0.0f) s.phaser_pos = -s.phaser_pos;
  s.phaser_delta = float(double(PowSingle(p.phaser_sweep, 2.0f)) * 1.0f);
  if (p.phaser_sweep < 0.0f) s.phaser_delta = -s.phaser_delta;
  s.phaser_write = 0;
  for (int k = 0; k <= 1024; k++) PhaserBuffer[k] = 0.0f;
}

static void ResetRetrigger(const EffectParams &p) {
  synth.retrigger_time = 0;
  // 1 - rate stays double here, unlike the base of the step limit above.
  double rest = 1.0f - double(p.retrigger_rate);
  synth.retrigger_limit = TruncToInt(PowDouble(rest, 2.0) * 20000.0) + 32;
  if (p.retrigger_rate == 0.0f) synth.retrigger_limit = 0;
}

void ResetSynth(int32_t full) {
  const EffectParams &p = effect_params;
  if (!full) synth.phase = 0;  // a full reset keeps the phase of the last sound
  ResetPitch(p);
  if (!full) return;
  ResetFilters(p);
  ResetEnvelopeAndEffects(p);
  FillNoise();
  ResetRetrigger(p);
}

static void AdvanceRetrigger() {
  synth.retrigger_time += 1;
  if (synth.retrigger_limit != 0 && synth.retrigger_time >= synth.retrigger_limit) {
    synth.retrigger_time = 0;
    ResetSynth(0);
  }
}

static void AdvancePitch(const EffectParams &p) {
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
    s.wobble_phase = float(double(s.wobble_phase) + s.wobble_speed);
    vib_period = float(s.period * (1.0f + std::sin(double(s.wobble_phase)) * s.wobble_amp));
  }
  s.period_int = RoundToInt(vib_period);
  if (s.period_int < 8) s.period_int = 8;
  s.duty = float(double(s.duty) + s.duty_sweep);
  if (s.duty < 0.0f) s.duty = 0.0f;
  if (s.duty > 0.5f) s.duty = 0.5f;
}

// A stage of length 0 has one sample, at env_time 0; its fraction is taken as
// 0 rather than 0/0, so the sample gets the stage's start value.
static double StageFraction(int32_t stage) {
  int32_t length = StageLengths[stage];
  return length == 0 ? 0.0 : double(synth.env_time) / double(length);
}

static void AdvanceEnvelope(const EffectParams &p) {
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

static void AdvanceEffects() {
  SynthState &s = synth;
  s.phaser_pos = float(double(s.phaser_pos) + s.phaser_delta);
  s.phaser_lag = RoundToInt(std::fabs(double(s.phaser_pos)));
  if (s.phaser_lag > 1023) s.phaser_lag = 1023;
  if (s.hp_coeff_mul != 0.0f) {
    s.hp_coeff = float(double(s.hp_coeff) * s.hp_coeff_mul);
    if (s.hp_coeff < 0.00001f) s.hp_coeff = 0.00001f;
    if (s.hp_coeff > 0.1f) s.hp_coeff = 0.1f;
  }
}

static float Oscillator(const EffectParams &p) {
  SynthState &s = synth;
  s.phase += 1;
  if (s.phase >= s.period_int) {
    s.phase = s.phase % s.period_int;
    if (p.waveform == 3) FillNoise();
  }
  float frac = float(double(s.phase) / double(s.period_int));
  switch (p.waveform) {
    case 0: return frac < s.duty ? 0.5f : -0.5f;
    case 1: return float(1.0f - double(frac) * 2.0f);
    case 2: return float(std::sin(double(frac) * 2.0f * 3.1415927f));
    case 3: return NoiseBuffer[int64_t(s.phase) * 32 / s.period_int];
    default: return 0.0f;
  }
}

static float FilterPass(const EffectParams &p, float sub) {
  SynthState &s = synth;
  float lp_prev = s.lp_out;
  s.lp_coeff = float(double(s.lp_coeff) * s.lp_coeff_mul);
  if (s.lp_coeff < 0.0f) s.lp_coeff = 0.0f;
  if (s.lp_coeff > 0.1f) s.lp_coeff = 0.1f;
  if (p.lowpass_cutoff != 1.0f) {
    s.lp_delta = float(double(s.lp_delta) + (double(sub) - s.lp_out) * s.lp_coeff);
    s.lp_delta = float(double(s.lp_delta) - double(s.lp_delta) * s.lp_damping);
  } else {
    s.lp_out = sub;
    s.lp_delta = 0.0f;
  }
  s.lp_out = float(double(s.lp_out) + s.lp_delta);
  s.hp_out = float(double(s.hp_out) + (double(s.lp_out) - lp_prev));
  s.hp_out = float(double(s.hp_out) - double(s.hp_out) * s.hp_coeff);
  return s.hp_out;
}

static float PhaserPass(float sub) {
  SynthState &s = synth;
  // Unsigned index arithmetic: only the low 10 bits matter, and a lag of
  // INT32_MIN (an out-of-range conversion) must not overflow.
  uint32_t write = uint32_t(s.phaser_write);
  PhaserBuffer[write & 1023u] = sub;
  float delayed = PhaserBuffer[(write - uint32_t(s.phaser_lag) + 1024u) & 1023u];
  s.phaser_write = int32_t((write + 1u) & 1023u);
  return float(double(sub) + delayed);
}

float ScaleOutput(float acc, float volume_gain) {
  acc = float(double(acc) / 8.0f * 0.05f);  // 8 although there are 9 passes
  acc = float(double(acc) * (double(volume_gain) * 2.0f));
  acc = float(double(acc) * 3.0f);
  if (acc > 1.0f) acc = 1.0f;
  if (!(acc >= -1.0f)) acc = -1.0f;  // a NaN goes to -1, as on the original platform
  return float(double(acc) * 30000.0f);
}

float RenderOneSample(float volume_gain) {
  const EffectParams &p = effect_params;
  AdvanceRetrigger();
  AdvancePitch(p);
  AdvanceEnvelope(p);
  AdvanceEffects();
  float acc = 0.0f;
  for (int pass = 0; pass < 9; pass++) {
    float sub = PhaserPass(FilterPass(p, Oscillator(p)));
    acc = float(double(acc) + double(sub) * synth.env_vol);
  }
  return ScaleOutput(acc, volume_gain);
}

int32_t RenderSamples(float volume_gain, SampleSink sink, void *user) {
  int32_t count = 0;
  while (count < kMaxSamples && synth.running != 0) {
    sink(int16_t(RoundToInt(RenderOneSample(volume_gain))), user);
    count++;
  }
  return count;
}

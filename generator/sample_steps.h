// The per-sample steps of the synthesis, before its 9 passes: retrigger,
// pitch, envelope and effects, and what they hand to the passes. The render
// includes them to have them compiled with it, once per instruction set, but
// StepSample stays a call of its own: inlined into the loop around the
// passes it slows the loop down.
#pragma once
#include <cmath>
#include <cstdint>

#include "compiler.h"
#include "numeric.h"
#include "params.h"
#include "synth.h"
#include "vibrato.h"

// What the per-sample steps hand to the passes of one sample. Nothing in
// them depends on the filters, so the next sample's are made while the
// passes of the current one still run.
struct SampleInputs {
  double sub[9];  // the oscillator value of each pass, a single widened
  double env_vol;  // a float, widened
  float hp_coeff;
  double hp_keep;  // 1 - hp_coeff when exact, else NaN
  uint32_t phaser_lag;
};

// 1 - d when it is exact in double and not 0 (for d = 1, x * 0 keeps the
// sign of x where x - x * 1 is +0), else NaN.
inline double ExactComplement(float d) {
  double keep = 1.0 - double(d);
  return keep != 0.0 && 1.0 - keep == double(d) ? keep : NAN;
}

namespace steps {

inline void AdvanceRetrigger() {
  synth.retrigger_time += 1;
  if (synth.retrigger_limit != 0 && synth.retrigger_time >= synth.retrigger_limit) {
    synth.retrigger_time = 0;
    ResetSynth(0);
  }
}

inline void AdvancePitch(const EffectParams &p) {
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
  if (s.wobble_amp > 0.0f) {
    s.wobble_phase = s.wobble_phase + s.wobble_speed;
    s.period_int = VibratoPeriod(s.period, s.wobble_phase, s.wobble_amp);
  } else {
    s.period_int = RoundToInt(float(s.period));
  }
  if (s.period_int < 8) s.period_int = 8;
  s.duty = s.duty + s.duty_sweep;
  if (s.duty < 0.0f) s.duty = 0.0f;
  if (s.duty > 0.5f) s.duty = 0.5f;
}

// A stage of length 0 has one sample, at env_time 0; its fraction is taken as
// 0 rather than 0/0, so the sample gets the stage's start value.
inline double StageFraction(int32_t stage) {
  int32_t length = StageLengths[stage];
  return length == 0 ? 0.0 : double(synth.env_time) / double(length);
}

inline void AdvanceEnvelope(const EffectParams &p) {
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

inline void AdvanceEffects() {
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

}  // namespace steps

// The per-sample steps; everything in `in` but the oscillator values.
WUBBLE_INLINE void StepSampleBody(SampleInputs &in) {
  const EffectParams &p = effect_params;
  using namespace steps;
  AdvanceRetrigger();
  AdvancePitch(p);
  AdvanceEnvelope(p);
  AdvanceEffects();
  const SynthState &s = synth;
  in.env_vol = s.env_vol;
  in.hp_coeff = s.hp_coeff;
  in.hp_keep = ExactComplement(s.hp_coeff);
  in.phaser_lag = uint32_t(s.phaser_lag);
}

// The build for any x86-64 processor; the render makes its own for AVX2.
WUBBLE_NOINLINE inline void StepSample(SampleInputs &in) { StepSampleBody(in); }

// The per-sample steps of the synthesis, before its 9 passes: retrigger,
// pitch, envelope and effects, and what they hand to the passes. Only
// synth_render.cpp includes this. StepSample stays a call of its own:
// inlined into the loop around the passes it slows the loop down.
#pragma once
#include <cmath>
#include <cstdint>

#include "compiler.h"
#include "generator.h"
#include "numeric.h"
#include "params.h"
#include "synth.h"
#include "vibrato.h"

namespace wubble {

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

inline void AdvanceRetrigger(WubbleGenerator &g) {
  SynthState &s = g.synth;
  s.retrigger_time += 1;
  if (s.retrigger_limit != 0 && s.retrigger_time >= s.retrigger_limit) {
    s.retrigger_time = 0;
    ResetSynth(g, 0);
  }
}

inline void AdvancePitch(SynthState &s, const EffectParams &p) {
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
inline double StageFraction(const SynthState &s, const int32_t *lengths, int32_t stage) {
  int32_t length = lengths[stage];
  return length == 0 ? 0.0 : double(s.env_time) / double(length);
}

inline void AdvanceEnvelope(SynthState &s, const int32_t *lengths, const EffectParams &p) {
  s.env_time += 1;
  if (s.env_time > lengths[s.env_stage]) {
    s.env_time = 0;
    s.env_stage += 1;
    if (s.env_stage == 3) s.running = 0;
  }
  if (s.env_stage == 0) {
    s.env_vol = float(StageFraction(s, lengths, 0));
  } else if (s.env_stage == 1) {
    float base = float(1.0f - StageFraction(s, lengths, 1));
    s.env_vol = float(1.0f + double(PowSingle(base, 1.0f)) * 2.0f * p.punch);
  } else if (s.env_stage == 2) {
    s.env_vol = float(1.0f - StageFraction(s, lengths, 2));
  }
}

inline void AdvanceEffects(SynthState &s) {
  s.phaser_pos = s.phaser_pos + s.phaser_delta;
  s.phaser_lag = RoundToInt(std::fabs(s.phaser_pos));
  if (s.phaser_lag > 1023) s.phaser_lag = 1023;
  if (s.hp_coeff_mul != 0.0f) {
    s.hp_coeff = s.hp_coeff * s.hp_coeff_mul;
    if (s.hp_coeff < 0.00001f) s.hp_coeff = 0.00001f;
    if (s.hp_coeff > 0.1f) s.hp_coeff = 0.1f;
  }
}

// The per-sample steps; everything in `in` but the oscillator values.
WUBBLE_NOINLINE inline void StepSample(WubbleGenerator &g, SampleInputs &in) {
  const EffectParams &p = g.params;
  SynthState &s = g.synth;
  AdvanceRetrigger(g);
  AdvancePitch(s, p);
  AdvanceEnvelope(s, g.stage_lengths, p);
  AdvanceEffects(s);
  in.env_vol = s.env_vol;
  in.hp_coeff = s.hp_coeff;
  in.hp_keep = ExactComplement(s.hp_coeff);
  in.phaser_lag = uint32_t(s.phaser_lag);
}

}  // namespace wubble

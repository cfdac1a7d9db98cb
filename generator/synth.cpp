#include "synth.h"

#include <cmath>
#include <cstdlib>

#include "generator.h"
#include "numeric.h"
#include "params.h"
#include "random.h"

namespace wubble {

// Every assignment evaluates in double and rounds once to its destination:
// fields are widened with double() before they meet other operands, and
// single-precision constants (the f suffix) widen exactly where they meet a
// double. Literals without a suffix are double constants.

template <typename T>
static T *ReplaceArray(T *old, int count) {
  std::free(old);
  return static_cast<T *>(std::calloc(count, sizeof(T)));
}

void AllocateSynthArrays(WubbleGenerator &g) {
  g.stage_lengths = ReplaceArray(g.stage_lengths, kStageLengthsSize);
  g.phaser_buffer = ReplaceArray(g.phaser_buffer, kPhaserBufferSize);
  g.noise_buffer = ReplaceArray(g.noise_buffer, kNoiseBufferSize);
}

bool PrepareSynthArrays(WubbleGenerator &g) {
  if (!g.stage_lengths || !g.phaser_buffer || !g.noise_buffer) AllocateSynthArrays(g);
  return g.stage_lengths && g.phaser_buffer && g.noise_buffer;
}

void FillNoise(WubbleGenerator &g) {
  for (int k = 0; k <= 32; k++) g.noise_buffer[k] = float(RandomSpan(g, 2.0f) - 1.0f);
}

// The pitch part, which a retrigger restarts.
static void ResetPitch(SynthState &s, const EffectParams &p) {
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

static void ResetFilters(SynthState &s, const EffectParams &p) {
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

static void ResetEnvelopeAndEffects(WubbleGenerator &g) {
  SynthState &s = g.synth;
  const EffectParams &p = g.params;
  int32_t *const lengths = g.stage_lengths;
  s.wobble_phase = 0.0f;
  s.wobble_speed = float(double(PowSingle(p.wobble_rate, 2.0f)) * 0.01f);
  s.wobble_amp = float(double(p.wobble_depth) * 0.5f);
  s.env_vol = 0.0f;
  s.env_stage = 0;
  s.env_time = 0;
  lengths[0] = RoundToInt(double(p.attack_time) * p.attack_time * 100000.0f);
  lengths[1] = RoundToInt(double(p.hold_time) * p.hold_time * 100000.0f);
  lengths[2] = RoundToInt(double(p.release_time) * p.release_time * 100000.0f);
  s.phaser_pos = float(double(PowSingle(p.phaser_offset, 2.0f)) * 1020.0f);
  if (p.phaser_offset < 0.0f) s.phaser_pos = -s.phaser_pos;
  s.phaser_delta = float(double(PowSingle(p.phaser_sweep, 2.0f)) * 1.0f);
  if (p.phaser_sweep < 0.0f) s.phaser_delta = -s.phaser_delta;
  s.phaser_write = 0;
  for (int k = 0; k <= 1024; k++) g.phaser_buffer[k] = 0.0f;
}

static void ResetRetrigger(SynthState &s, const EffectParams &p) {
  s.retrigger_time = 0;
  // 1 - rate stays double here, unlike the base of the step limit above.
  double rest = 1.0f - double(p.retrigger_rate);
  s.retrigger_limit = TruncToInt(PowDouble(rest, 2.0) * 20000.0) + 32;
  if (p.retrigger_rate == 0.0f) s.retrigger_limit = 0;
}

void ResetSynth(WubbleGenerator &g, int32_t full) {
  const EffectParams &p = g.params;
  if (!full) g.synth.phase = 0;  // a full reset keeps the phase of the last sound
  ResetPitch(g.synth, p);
  if (!full) return;
  ResetFilters(g.synth, p);
  ResetEnvelopeAndEffects(g);
  FillNoise(g);
  ResetRetrigger(g.synth, p);
}

}  // namespace wubble

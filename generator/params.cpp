#include "params.h"

#include "generator.h"
#include "numeric.h"
#include "random.h"

namespace wubble {

// Every draw below is one step of the random source, taken in the order the
// statements run; values from RandomSpan stay double until they are stored.
// Constants are single precision, widened where they meet double arithmetic.

static double Span(WubbleGenerator &g, float range) { return RandomSpan(g, range); }
static double Uniform(WubbleGenerator &g) { return RandomSpan(g, 2.0f) + double(-1.0f); }
static float Power(double x, float exponent) { return PowSingle(float(x), exponent); }
static int32_t Coin(WubbleGenerator &g) { return RandomUpTo(g, 1); }

static void DrawPitch(WubbleGenerator &g, EffectParams &p) {
  p.pitch_start = Power(Uniform(g), 2.0f);
  if (Coin(g) != 0) p.pitch_start = float(double(Power(Uniform(g), 3.0f)) + 0.5f);
  p.pitch_floor = 0.0f;
  p.pitch_slide = Power(Uniform(g), 5.0f);
  if (p.pitch_start > 0.7f && p.pitch_slide > 0.2f) p.pitch_slide = -p.pitch_slide;
  if (p.pitch_start < 0.2f && p.pitch_slide < -0.05f) p.pitch_slide = -p.pitch_slide;
  p.pitch_slide_accel = Power(Uniform(g), 3.0f);
}

static void DrawEnvelope(WubbleGenerator &g, EffectParams &p) {
  p.attack_time = Power(Uniform(g), 3.0f);
  p.hold_time = Power(Uniform(g), 2.0f);
  p.release_time = float(Uniform(g));
  p.punch = Power(Span(g, 0.8f), 2.0f);
  double total = double(p.attack_time) + p.hold_time + p.release_time;
  if (total < 0.2f) {
    p.hold_time = float(double(p.hold_time) + (Span(g, 0.3f) + 0.2f));
    p.release_time = float(double(p.release_time) + (Span(g, 0.3f) + 0.2f));
  }
}

static void DrawFilters(WubbleGenerator &g, EffectParams &p) {
  p.lowpass_resonance = float(Uniform(g));
  p.lowpass_cutoff = float(1.0f - double(Power(Span(g, 1.0f), 3.0f)));
  p.lowpass_sweep = Power(Uniform(g), 3.0f);
  if (p.lowpass_cutoff < 0.1f && p.lowpass_sweep < -0.05f) p.lowpass_sweep = -p.lowpass_sweep;
  p.highpass_cutoff = Power(Span(g, 1.0f), 5.0f);
  p.highpass_sweep = Power(Uniform(g), 5.0f);
}

void GenerateEffectParams(WubbleGenerator &g, int32_t seed) {
  EffectParams &p = g.params;
  SeedRandom(g, seed);
  p.waveform = RandomUpTo(g, 3);
  DrawPitch(g, p);
  p.pulse_width = float(Uniform(g));
  p.pulse_width_sweep = Power(Uniform(g), 3.0f);
  p.wobble_depth = Power(Uniform(g), 3.0f);
  p.wobble_rate = float(Uniform(g));
  p.spare_param = float(Uniform(g));
  DrawEnvelope(g, p);
  DrawFilters(g, p);
  p.phaser_offset = Power(Uniform(g), 3.0f);
  p.phaser_sweep = Power(Uniform(g), 3.0f);
  p.retrigger_rate = float(Uniform(g));
  p.step_speed = float(Uniform(g));
  p.step_ratio = float(Uniform(g));
}

// The mutable fields in the order each round visits them.
static float EffectParams::*const kMutationOrder[] = {
    &EffectParams::pitch_start,       &EffectParams::pitch_slide,
    &EffectParams::pitch_slide_accel, &EffectParams::pulse_width,
    &EffectParams::pulse_width_sweep, &EffectParams::wobble_depth,
    &EffectParams::wobble_rate,       &EffectParams::spare_param,
    &EffectParams::attack_time,       &EffectParams::hold_time,
    &EffectParams::release_time,      &EffectParams::punch,
    &EffectParams::lowpass_resonance, &EffectParams::lowpass_cutoff,
    &EffectParams::lowpass_sweep,     &EffectParams::highpass_cutoff,
    &EffectParams::highpass_sweep,    &EffectParams::phaser_offset,
    &EffectParams::phaser_sweep,      &EffectParams::retrigger_rate,
    &EffectParams::step_speed,        &EffectParams::step_ratio,
};

static void Mutate(float &field, double span) { field = float((double(field) + span) + double(-0.05f)); }

void MutateEffectParams(WubbleGenerator &g, int32_t mutations) {
  for (int32_t round = 0; round < mutations; round++) {
    for (float EffectParams::*field : kMutationOrder) {
      if (Coin(g) == 1) Mutate(g.params.*field, Span(g, 0.1f));
    }
  }
}

}  // namespace wubble

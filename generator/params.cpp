#include "params.h"

#include "generator.h"
#include "numeric.h"
#include "random.h"

// Every draw below is one step of the random source, taken in the order the
// statements run; values from RandomSpan stay double until they are stored.
// Constants are single precision, widened where they meet double arithmetic.

static double Span(RandomState &r, float range) { return RandomSpan(r, range); }
static double Uniform(RandomState &r) { return RandomSpan(r, 2.0f) + double(-1.0f); }
static float Power(double x, float exponent) { return PowSingle(float(x), exponent); }
static int32_t Coin(RandomState &r) { return RandomUpTo(r, 1); }

static void DrawPitch(RandomState &r, EffectParams &p) {
  p.pitch_start = Power(Uniform(r), 2.0f);
  if (Coin(r) != 0) p.pitch_start = float(double(Power(Uniform(r), 3.0f)) + 0.5f);
  p.pitch_floor = 0.0f;
  p.pitch_slide = Power(Uniform(r), 5.0f);
  if (p.pitch_start > 0.7f && p.pitch_slide > 0.2f) p.pitch_slide = -p.pitch_slide;
  if (p.pitch_start < 0.2f && p.pitch_slide < -0.05f) p.pitch_slide = -p.pitch_slide;
  p.pitch_slide_accel = Power(Uniform(r), 3.0f);
}

static void DrawEnvelope(RandomState &r, EffectParams &p) {
  p.attack_time = Power(Uniform(r), 3.0f);
  p.hold_time = Power(Uniform(r), 2.0f);
  p.release_time = float(Uniform(r));
  p.punch = Power(Span(r, 0.8f), 2.0f);
  double total = double(p.attack_time) + p.hold_time + p.release_time;
  if (total < 0.2f) {
    p.hold_time = float(double(p.hold_time) + (Span(r, 0.3f) + 0.2f));
    p.release_time = float(double(p.release_time) + (Span(r, 0.3f) + 0.2f));
  }
}

static void DrawFilters(RandomState &r, EffectParams &p) {
  p.lowpass_resonance = float(Uniform(r));
  p.lowpass_cutoff = float(1.0f - double(Power(Span(r, 1.0f), 3.0f)));
  p.lowpass_sweep = Power(Uniform(r), 3.0f);
  if (p.lowpass_cutoff < 0.1f && p.lowpass_sweep < -0.05f) p.lowpass_sweep = -p.lowpass_sweep;
  p.highpass_cutoff = Power(Span(r, 1.0f), 5.0f);
  p.highpass_sweep = Power(Uniform(r), 5.0f);
}

void GenerateEffectParams(WubbleGenerator &g, int32_t seed) {
  EffectParams &p = g.params;
  RandomState &r = g.random;
  SeedRandom(r, seed);
  p.waveform = RandomUpTo(r, 3);
  DrawPitch(r, p);
  p.pulse_width = float(Uniform(r));
  p.pulse_width_sweep = Power(Uniform(r), 3.0f);
  p.wobble_depth = Power(Uniform(r), 3.0f);
  p.wobble_rate = float(Uniform(r));
  p.spare_param = float(Uniform(r));
  DrawEnvelope(r, p);
  DrawFilters(r, p);
  p.phaser_offset = Power(Uniform(r), 3.0f);
  p.phaser_sweep = Power(Uniform(r), 3.0f);
  p.retrigger_rate = float(Uniform(r));
  p.step_speed = float(Uniform(r));
  p.step_ratio = float(Uniform(r));
}

void GenerateEffectParams(int32_t seed) { GenerateEffectParams(default_generator, seed); }

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

// A round's draws, taken from steps made in bulk: the same values Coin and
// Span(0.1f) give, from the same steps in the same order.
static void MutateFromRun(WubbleGenerator &g, int32_t mutations) {
  RandomRun &run = g.mutation_run;
  auto next_draw = [&run] { return RunDraw(run, TakeRandomSteps(run, 1)); };
  for (int32_t round = 0; round < mutations; round++) {
    for (float EffectParams::*field : kMutationOrder) {
      if (ScaleDraw(next_draw(), 2u) == 1u) Mutate(g.params.*field, SpanOfDraw(next_draw(), 0.1f));
    }
  }
  CloseRandomRun(run, g.random);
}

void MutateEffectParams(WubbleGenerator &g, int32_t mutations) {
  if (mutations > 0 && OpenRandomRun(g.mutation_run, g.random)) return MutateFromRun(g, mutations);
  for (int32_t round = 0; round < mutations; round++) {
    for (float EffectParams::*field : kMutationOrder) {
      if (Coin(g.random) == 1) Mutate(g.params.*field, Span(g.random, 0.1f));
    }
  }
}

void MutateEffectParams(int32_t mutations) { MutateEffectParams(default_generator, mutations); }

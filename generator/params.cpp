#include "params.h"

#include "numeric.h"
#include "random.h"

EffectParams effect_params;

// Every draw below is one step of the random source, taken in the order the
// statements run; values from RandomSpan stay double until they are stored.
// Constants are single precision, widened where they meet double arithmetic.

static double Span(float range) { return RandomSpan(range); }
static double Uniform() { return RandomSpan(2.0f) + double(-1.0f); }
static float Power(double x, float exponent) { return PowSingle(float(x), exponent); }
static int32_t Coin() { return RandomUpTo(1); }

static void DrawPitch(EffectParams &p) {
  p.pitch_start = Power(Uniform(), 2.0f);
  if (Coin() != 0) p.pitch_start = float(double(Power(Uniform(), 3.0f)) + 0.5f);
  p.pitch_floor = 0.0f;
  p.pitch_slide = Power(Uniform(), 5.0f);
  if (p.pitch_start > 0.7f && p.pitch_slide > 0.2f) p.pitch_slide = -p.pitch_slide;
  if (p.pitch_start < 0.2f && p.pitch_slide < -0.05f) p.pitch_slide = -p.pitch_slide;
  p.pitch_slide_accel = Power(Uniform(), 3.0f);
}

static void DrawEnvelope(EffectParams &p) {
  p.attack_time = Power(Uniform(), 3.0f);
  p.hold_time = Power(Uniform(), 2.0f);
  p.release_time = float(Uniform());
  p.punch = Power(Span(0.8f), 2.0f);
  double total = double(p.attack_time) + p.hold_time + p.release_time;
  if (total < 0.2f) {
    p.hold_time = float(double(p.hold_time) + (Span(0.3f) + 0.2f));
    p.release_time = float(double(p.release_time) + (Span(0.3f) + 0.2f));
  }
}

static void DrawFilters(EffectParams &p) {
  p.lowpass_resonance = float(Uniform());
  p.lowpass_cutoff = float(1.0f - double(Power(Span(1.0f), 3.0f)));
  p.lowpass_sweep = Power(Uniform(), 3.0f);
  if (p.lowpass_cutoff < 0.1f && p.lowpass_sweep < -0.05f) p.lowpass_sweep = -p.lowpass_sweep;
  p.highpass_cutoff = Power(Span(1.0f), 5.0f);
  p.highpass_sweep = Power(Uniform(), 5.0f);
}

void GenerateEffectParams(int32_t seed) {
  EffectParams &p = effect_params;
  SeedRandom(seed);
  p.waveform = RandomUpTo(3);
  DrawPitch(p);
  p.pulse_width = float(Uniform());
  p.pulse_width_sweep = Power(Uniform(), 3.0f);
  p.wobble_depth = Power(Uniform(), 3.0f);
  p.wobble_rate = float(Uniform());
  p.spare_param = float(Uniform());
  DrawEnvelope(p);
  DrawFilters(p);
  p.phaser_offset = Power(Uniform(), 3.0f);
  p.phaser_sweep = Power(Uniform(), 3.0f);
  p.retrigger_rate = float(Uniform());
  p.step_speed = float(Uniform());
  p.step_ratio = float(Uniform());
}

// The mutable fields in the order each round visits them.
static float *const kMutationOrder[] = {
    &effect_params.pitch_start,       &effect_params.pitch_slide,
    &effect_params.pitch_slide_accel, &effect_params.pulse_width,
    &effect_params.pulse_width_sweep, &effect_params.wobble_depth,
    &effect_params.wobble_rate,       &effect_params.spare_param,
    &effect_params.attack_time,       &effect_params.hold_time,
    &effect_params.release_time,      &effect_params.punch,
    &effect_params.lowpass_resonance, &effect_params.lowpass_cutoff,
    &effect_params.lowpass_sweep,     &effect_params.highpass_cutoff,
    &effect_params.highpass_sweep,    &effect_params.phaser_offset,
    &effect_params.phaser_sweep,      &effect_params.retrigger_rate,
    &effect_params.step_speed,        &effect_params.step_ratio,
};

// A round's draws, taken from steps made in bulk: the same values Coin and
// Span(0.1f) give, from the same steps in the same order.
static RandomRun mutation_run;

static uint64_t NextDraw() { return RunDraw(mutation_run, TakeRandomSteps(mutation_run, 1)); }

static void Mutate(float *field, double span) { *field = float((double(*field) + span) + double(-0.05f)); }

static void MutateFromRun(int32_t mutations) {
  for (int32_t round = 0; round < mutations; round++) {
    for (float *field : kMutationOrder) {
      if (ScaleDraw(NextDraw(), 2u) == 1u) Mutate(field, SpanOfDraw(NextDraw(), 0.1f));
    }
  }
  CloseRandomRun(mutation_run);
}

void MutateEffectParams(int32_t mutations) {
  if (mutations > 0 && OpenRandomRun(mutation_run)) return MutateFromRun(mutations);
  for (int32_t round = 0; round < mutations; round++) {
    for (float *field : kMutationOrder) {
      if (Coin() == 1) Mutate(field, Span(0.1f));
    }
  }
}

// The 9 passes of a sample: the low-pass, the high-pass, the phaser and the
// sum, with the filter state in locals for a whole render.
//
// The passes compute exactly what the plain rules say, and a few rewrites
// keep the same bits while shortening the chain of dependent operations
// from one pass to the next:
// - an operation on two floats whose exact result is rounded once to float
//   gives the same value computed in float as in double then rounded;
// - x - x * d, with x and d floats, equals x * (1 - d) rounded once when
//   1 - d is exact in double and x is finite and non-zero: x * d is exact in
//   double, so both forms round the same real number once;
// - while lp_out does not move, each pass takes it as unchanged and checks
//   that afterwards (see RunPasses).
// Only synth_render.cpp includes this: the passes must end up in one
// function, their state in registers.
#pragma once
#include <cstdint>
#include <cstring>

#ifdef __SSE__
#include <xmmintrin.h>
#endif

#include "compiler.h"
#include "oscillator.h"
#include "sample_steps.h"
#include "synth.h"

namespace wubble {

template <int kWaveform>
void FillOscillator(WubbleGenerator &g, SampleInputs &in) {
  OscillatorRun o = StartOscillator<kWaveform>(g);
  for (int pass = 0; pass < 9; pass++) in.sub[pass] = StepOscillator<kWaveform>(g, o);
  EndOscillator(g, o);
}

// True for a finite value other than +0 and -0.
inline bool FiniteNonZero(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return (bits & 0x7FFFFFFFu) - 1u < 0x7F7FFFFFu;
}

// x - x * d rounded to single; `keep` is 1 - d when that is exact in double,
// else NaN.
inline float Damp(float x, float d, double keep) {
  if (FiniteNonZero(x) && keep == keep) return float(double(x) * keep);
  return float(double(x) - double(x) * d);
}

// How lp_coeff moves in a sample's passes: clamped as the rules say; only
// shrinking within 0..0.1 (0 < lp_coeff_mul <= 1), where neither clamp can
// act; or held at 0.1 by a factor of at least 1, where the sweep and its
// clamp give 0.1 again every pass.
enum CoeffSweep { kSweepClamped, kSweepShrinking, kSweepHeld };

// The state the passes change, held in locals for a whole render.
struct FilterState {
  float lp_out, lp_delta, lp_coeff, lp_coeff_mul, lp_damping;
  double lp_keep;
  float hp_out;
  uint32_t phaser_write;
  // lp_out is finite, non-zero and expected to stay as it is: see RunPasses.
  bool lp_still;
  // lp_out, lp_delta and hp_out are finite; once not, they stay so.
  bool finite;
  CoeffSweep sweep;  // kSweepClamped until known to be one of the others
};

inline FilterState LoadFilterState(const SynthState &s) {
  return FilterState{s.lp_out, s.lp_delta, s.lp_coeff, s.lp_coeff_mul, s.lp_damping,
                     ExactComplement(s.lp_damping), s.hp_out, uint32_t(s.phaser_write), false, false,
                     kSweepClamped};
}

inline void StoreFilterState(SynthState &s, const FilterState &f) {
  s.lp_out = f.lp_out;
  s.lp_delta = f.lp_delta;
  s.lp_coeff = f.lp_coeff;
  s.hp_out = f.hp_out;
  s.phaser_write = int32_t(f.phaser_write);
}

WUBBLE_INLINE void SweepLowPass(FilterState &f) {
  f.lp_coeff = f.lp_coeff * f.lp_coeff_mul;
  if (f.lp_coeff < 0.0f) f.lp_coeff = 0.0f;
  if (f.lp_coeff > 0.1f) f.lp_coeff = 0.1f;
}

// How the passes treat the low-pass: bypassed (cut-off 1), filtering with
// 1 - lp_damping exact in double, or filtering with the plain damping step.
enum LowPass { kBypassed, kExactKeep, kPlainDamping };

template <int kLowPass>
WUBBLE_INLINE void StepLowPassDelta(FilterState &f, float sub) {
  f.lp_delta = float(double(f.lp_delta) + (double(sub) - f.lp_out) * f.lp_coeff);
  if (kLowPass == kExactKeep && FiniteNonZero(f.lp_delta)) {
    f.lp_delta = float(double(f.lp_delta) * f.lp_keep);
  } else {
    f.lp_delta = float(double(f.lp_delta) - double(f.lp_delta) * f.lp_damping);
  }
}

// The high-pass, the phaser and the sum of one pass, after the low-pass.
WUBBLE_INLINE float FinishPass(float *phaser, FilterState &f, const SampleInputs &in, float hp_in, float acc) {
  f.hp_out = Damp(hp_in, in.hp_coeff, in.hp_keep);
  // Unsigned index arithmetic: only the low 10 bits matter, and a lag of
  // INT32_MIN (an out-of-range conversion) must not overflow.
  phaser[f.phaser_write & 1023u] = f.hp_out;
  float delayed = phaser[(f.phaser_write - in.phaser_lag + 1024u) & 1023u];
  f.phaser_write = (f.phaser_write + 1u) & 1023u;
  float sub = f.hp_out + delayed;
  return float(double(acc) + double(sub) * in.env_vol);
}

// A pass as the rules state it.
template <int kLowPass>
WUBBLE_INLINE float PlainPass(float *phaser, FilterState &f, const SampleInputs &in, float sub, float acc) {
  float lp_prev = f.lp_out;
  SweepLowPass(f);
  if (kLowPass == kBypassed) {
    f.lp_out = sub;
    f.lp_delta = 0.0f;
  } else {
    StepLowPassDelta<kLowPass>(f, sub);
  }
  f.lp_out = f.lp_out + f.lp_delta;
  float hp_in = float(double(f.hp_out) + (double(f.lp_out) - lp_prev));
  return FinishPass(phaser, f, in, hp_in, acc);
}

// The 9 passes of one sample. Once the low-pass has settled, lp_delta is
// too small to move lp_out for long stretches; each pass then first takes
// lp_out as unchanged, so that the next pass need not wait for the sum
// lp_out + lp_delta, and checks it: the pass that does change lp_out
// finishes as a plain pass, and the rest of the sample are plain passes.
// With lp_out finite and unchanged, lp_out - lp_prev is +0, and
// hp_out + 0 is hp_out but for -0, which becomes +0.
template <int kLowPass>
WUBBLE_INLINE float RunPasses(float *phaser, FilterState &f, const SampleInputs &in) {
  float acc = 0.0f;
  int pass = 0;
  if (kLowPass != kBypassed && f.lp_still) {
    for (; pass < 9; pass++) {
      SweepLowPass(f);
      StepLowPassDelta<kLowPass>(f, float(in.sub[pass]));
      float lp_next = f.lp_out + f.lp_delta;
      if (lp_next != f.lp_out) {  // lp_out is finite and non-zero: same value, same bits
        float lp_prev = f.lp_out;
        f.lp_out = lp_next;
        f.lp_still = false;
        acc = FinishPass(phaser, f, in, float(double(f.hp_out) + (double(lp_next) - lp_prev)), acc);
        pass++;
        break;
      }
      acc = FinishPass(phaser, f, in, f.hp_out + 0.0f, acc);
    }
  }
  float lp_start = f.lp_out;
  for (; pass < 9; pass++) acc = PlainPass<kLowPass>(phaser, f, in, float(in.sub[pass]), acc);
  if (kLowPass != kBypassed && !f.lp_still) f.lp_still = f.lp_out == lp_start && FiniteNonZero(f.lp_out);
  return acc;
}

inline bool FiltersFinite(const FilterState &f) {
  // Each difference is 0 for a finite value and NaN otherwise.
  return (f.lp_out - f.lp_out) + (f.lp_delta - f.lp_delta) + (f.hp_out - f.hp_out) == 0.0f;
}

// The rules' sweep of lp_coeff with both clamps. With SSE the clamps are
// one max and one min instruction, which compare in the same order:
// (0 > c ? 0 : c), then (0.1 < c ? 0.1 : c).
inline float SweepCoeff(float c, float mul) {
#ifdef __SSE__
  __m128 swept = _mm_max_ss(_mm_setzero_ps(), _mm_set_ss(c * mul));
  return _mm_cvtss_f32(_mm_min_ss(_mm_set_ss(0.1f), swept));
#else
  c = c * mul;
  if (c < 0.0f) c = 0.0f;
  if (c > 0.1f) c = 0.1f;
  return c;
#endif
}

inline bool FastSampleOk(const FilterState &f, const SampleInputs &in) {
  return f.finite && in.hp_keep > 0.5;
}

inline CoeffSweep SweepKind(const FilterState &f) {
  if (f.lp_coeff_mul > 0.0f && f.lp_coeff_mul <= 1.0f && f.lp_coeff >= 0.0f && f.lp_coeff <= 0.1f)
    return kSweepShrinking;
  if (f.lp_coeff == 0.1f && f.lp_coeff_mul >= 1.0f) return kSweepHeld;
  return kSweepClamped;
}

template <int kSweep>
inline float Sweep(float c, float mul) {
  if (kSweep == kSweepHeld) return c;
  if (kSweep == kSweepShrinking) return c * mul;
  return SweepCoeff(c, mul);
}

// The passes of one sample without the guards of FinishPass and
// StepLowPassDelta, which cost more than the arithmetic they guard. They are
// exact under conditions the caller checks once a sample (see FastSampleOk)
// and one it checks afterwards, that the filters are still finite:
// - x * keep equals x - x * d for x finite and non-zero, and also for +0;
//   an infinite x (a filter blowing up) leaves the state infinite or NaN at
//   the end of the sample, where the caller finds it and redoes the sample
//   with the guarded passes;
// - a -0 lp_delta, which the guarded step would make +0, moves nothing:
//   lp_out + -0 is lp_out (never -0 itself), and the next pass adds it to a
//   product that is non-zero or +0. Only the last pass's can be left in the
//   state, and FastPasses makes it +0;
// - hp_out and lp_out are never -0 here (FastPasses makes a -0 hp_out +0
//   on entry): both are sums of multiples of the least single, so no sum
//   rounds to a zero of its own, and the high-pass factor is above 0.5, so
//   no product does either. hp_out + 0 is then hp_out.
//
// When `next` is given, the next sample's oscillator runs here too, a step a
// pass: it does not depend on the filters, so its work fills the time each
// pass waits for the one before.
template <int kLowPass, int kWaveform, int kSweep>
WUBBLE_INLINE float FastPasses(WubbleGenerator &g, FilterState &f, const SampleInputs &in, SampleInputs *next) {
  float *const phaser = g.phaser_buffer;
  const uint32_t write = f.phaser_write, read = f.phaser_write - in.phaser_lag;
  const float mul = f.lp_coeff_mul;
  const double keep = f.lp_keep, hp_keep = in.hp_keep, env_vol = in.env_vol;
  float c = f.lp_coeff;
  // A -0 hp_out, which only the guarded passes can leave, acts as +0.
  float lp = f.lp_out, x = f.lp_delta, hp = f.hp_out + 0.0f, y = 1.0f;
  float acc = 0.0f;
  int pass = 0;
  OscillatorRun osc{};
  if (next) osc = StartOscillator<kWaveform>(g);
  auto step_next = [&]() WUBBLE_LAMBDA_INLINE {
    if (next) next->sub[pass] = StepOscillator<kWaveform>(g, osc);
  };
  auto finish = [&](float hp_in) WUBBLE_LAMBDA_INLINE {
    hp = float(double(hp_in) * hp_keep);
    phaser[(write + uint32_t(pass)) & 1023u] = hp;
    float sub = hp + phaser[(read + uint32_t(pass)) & 1023u];
    acc = float(double(acc) + double(sub) * env_vol);
  };
  if (kLowPass == kExactKeep && f.lp_still) {
#pragma GCC unroll 1
    for (; pass < 9; pass++) {
      step_next();
      c = Sweep<kSweep>(c, mul);
      y = float(double(x) + (in.sub[pass] - lp) * c);
      x = float(double(y) * keep);
      float lp_next = lp + x;
      if (lp_next != lp) {
        float lp_prev = lp;
        lp = lp_next;
        f.lp_still = false;
        finish(float(double(hp) + (double(lp) - lp_prev)));
        pass++;
        break;
      }
      finish(hp);
    }
  }
  float lp_start = lp;
#pragma GCC unroll 1
  for (; pass < 9; pass++) {
    step_next();
    float lp_prev = lp;
    c = Sweep<kSweep>(c, mul);
    if (kLowPass == kBypassed) {
      lp = float(in.sub[pass]);
      x = 0.0f;
    } else {
      y = float(double(x) + (in.sub[pass] - lp) * c);
      x = float(double(y) * keep);
    }
    lp = lp + x;
    finish(float(double(hp) + (double(lp) - lp_prev)));
  }
  if (kLowPass != kBypassed && !f.lp_still) f.lp_still = lp == lp_start && FiniteNonZero(lp);
  if (y == 0.0f) x = 0.0f;  // the guarded step's +0 for a zero before damping
  f.lp_coeff = c;
  f.lp_out = lp;
  f.lp_delta = x;
  f.hp_out = hp;
  f.phaser_write = (f.phaser_write + 9u) & 1023u;
  // An infinite or NaN filter value stays so for the rest of the sample
  // and reaches the sum through hp_out, so a finite sum spares the check.
  f.finite = acc - acc == 0.0f || FiltersFinite(f);
  if (next) EndOscillator(g, osc);
  return acc;
}

// One sample's passes: the fast ones where they are exact, else the guarded
// ones, also for a sample the fast passes leave with an infinite or NaN
// filter, which is then redone. The next sample's oscillator, when `next`
// is given, runs once either way.
template <int kLowPass, int kWaveform>
WUBBLE_INLINE float SamplePasses(WubbleGenerator &g, FilterState &f, const SampleInputs &in, SampleInputs *next) {
  if (!WUBBLE_OSCILLATOR_IN_PASSES && next) {
    FillOscillator<kWaveform>(g, *next);
    next = nullptr;
  }
  if (kLowPass != kPlainDamping && FastSampleOk(f, in)) {
    FilterState start = f;
    float acc;
    // Shrinking and held coefficients stay so; only a clamped one is looked
    // at again.
    if (f.sweep == kSweepClamped) f.sweep = SweepKind(f);
    switch (f.sweep) {
      case kSweepShrinking: acc = FastPasses<kLowPass, kWaveform, kSweepShrinking>(g, f, in, next); break;
      case kSweepHeld: acc = FastPasses<kLowPass, kWaveform, kSweepHeld>(g, f, in, next); break;
      default: acc = FastPasses<kLowPass, kWaveform, kSweepClamped>(g, f, in, next); break;
    }
    if (f.finite) return acc;
    f = start;
  } else if (next) {
    FillOscillator<kWaveform>(g, *next);
  }
  float acc = RunPasses<kLowPass>(g.phaser_buffer, f, in);
  f.finite = FiltersFinite(f);
  return acc;
}

}  // namespace wubble

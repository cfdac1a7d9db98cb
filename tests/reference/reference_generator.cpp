// A frozen copy of the straightforward generator, kept as the oracle for the
// optimised one: tests compare the two bit for bit, and the benchmarks time
// both in one run. It is deliberately plain; never optimise it.
#include "reference_generator.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX  // windows.h must not define min and max
#endif
#include <windows.h>
#endif

namespace reference {



RandomState random_state;

// Milliseconds since some fixed start, wrapping at 32 bits.
uint32_t TickCount() {
#ifdef _WIN32
  return uint32_t(GetTickCount());
#else
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
  return uint32_t(ms);
#endif
}

static uint32_t RotateLeft(uint32_t w, int n) { return (w << n) | (w >> (32 - n)); }

static int32_t PreviousEntry(int32_t index) { return index == 0 ? 16 : index - 1; }

uint64_t RandomStep() {
  RandomEntry &lead = random_state.table[random_state.lead];
  const RandomEntry &lag = random_state.table[random_state.lag];
  uint32_t x = RotateLeft(lead.first, 19) + lag.first;
  uint32_t y = RotateLeft(lead.second, 27) + lag.second;
  lead.first = y;  // crosswise on purpose
  lead.second = x;
  random_state.lead = PreviousEntry(random_state.lead);
  random_state.lag = PreviousEntry(random_state.lag);
  return (uint64_t(x) << 32) | y;
}

void SeedRandom(int32_t seed) {
  random_state.seeded = true;
  uint32_t w = uint32_t(seed);
  for (int i = 0; i < 34; i++) {
    w = w * 2891336453u + 1u;
    RandomEntry &entry = random_state.table[i / 2];
    (i % 2 == 0 ? entry.first : entry.second) = w;
  }
  random_state.lead = 0;
  random_state.lag = 10;
  for (int i = 0; i < 31; i++) RandomStep();
}

int32_t RandomUpTo(int32_t max) {
  if (!random_state.seeded) SeedRandom(int32_t(TickCount()));
  uint64_t r = RandomStep();  // taken even when max is refused
  if (max < 0) return INT32_MIN;
  // floor(r * n / 2^64), assembled from 32x32->64 products so that no
  // 128-bit type is needed.
  uint64_t n = uint64_t(max) + 1u;
  uint64_t p = (r >> 32) * n;
  uint64_t q = (r & 0xFFFFFFFFu) * n;
  uint64_t s = (p & 0xFFFFFFFFu) + (q >> 32);
  return int32_t((p >> 32) + (s >> 32));
}

double RandomSpan(float range) {
  double q = RandomUpTo(10000) / 10000.0;
  return q * double(range);  // divide first: the other order differs in the last bit
}


// Small integral exponents are multiplied out in double: a square of a
// single-precision base is exact, and its cube is rounded once, so both are
// correctly rounded on every platform, which no libm promises for pow.
static bool IsSmallWholeExponent(double exponent) {
  return exponent >= 1.0 && exponent <= 8.0 && exponent == std::floor(exponent);
}

double PowDouble(double base, double exponent) {
  if (!IsSmallWholeExponent(exponent)) return std::pow(base, exponent);
  double result = base;
  for (int i = 1; i < int(exponent); i++) result = result * base;
  return result;
}

float PowSingle(float base, float exponent) {
  return float(PowDouble(base, exponent));
}

int32_t TruncToInt(double x) {
  // Compare with the open interval (-2^31 - 1, 2^31); NaN fails both tests.
  if (!(x > -2147483649.0 && x < 2147483648.0)) return INT32_MIN;
  return int32_t(x);
}

int32_t RoundToInt(double x) {
  double r = std::nearbyint(x);  // default rounding mode: halves to even
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) return INT32_MIN;
  return int32_t(r);
}


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

void MutateEffectParams(int32_t mutations) {
  for (int32_t round = 0; round < mutations; round++) {
    for (float *field : kMutationOrder) {
      if (Coin() == 1) *field = float((double(*field) + Span(0.1f)) + double(-0.05f));
    }
  }
}



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



WaveFormat wave_format;

float VolumeGain(int32_t volume) {
  int8_t byte = int8_t(uint8_t(uint32_t(volume) & 0xFFu));
  return float(byte / 10.0);
}

static void FillWaveFormat() {
  WaveFormat &f = wave_format;
  f.format_tag = 1;
  f.channels = 1;
  f.sample_rate = 44100;
  f.bits_per_sample = 16;
  f.block_align = int16_t(f.channels * f.bits_per_sample / 8);
  f.byte_rate = f.sample_rate * f.block_align;
  f.extra_format_bytes = 0;
}

static void PutTag(uint8_t *at, const char *tag) { std::memcpy(at, tag, 4); }

static void Put16(uint8_t *at, int32_t value) {
  at[0] = uint8_t(value);
  at[1] = uint8_t(uint32_t(value) >> 8);
}

static void Put32(uint8_t *at, uint32_t value) {
  for (int i = 0; i < 4; i++) at[i] = uint8_t(value >> (8 * i));
}

// Everything but the two size fields, which are known only after rendering.
static void WriteWavHeader(uint8_t *image) {
  const WaveFormat &f = wave_format;
  PutTag(image + 0, "RIFF");
  PutTag(image + 8, "WAVE");
  PutTag(image + 12, "fmt ");
  Put32(image + 16, 18);
  Put16(image + 20, f.format_tag);
  Put16(image + 22, f.channels);
  Put32(image + 24, uint32_t(f.sample_rate));
  Put32(image + 28, uint32_t(f.byte_rate));
  Put16(image + 32, f.block_align);
  Put16(image + 34, f.bits_per_sample);
  Put16(image + 36, f.extra_format_bytes);
  PutTag(image + 38, "data");
}

static void StoreSample(int16_t sample, void *user) {
  uint8_t **next = static_cast<uint8_t **>(user);
  Put16(*next, sample);
  *next += 2;
}

int32_t WriteWavImage(float volume_gain, uint8_t *image) {
  ResetSynth(1);  // continues the random sequence: nothing may draw before it
  FillWaveFormat();
  WriteWavHeader(image);
  uint8_t *next = image + kWavHeaderBytes;
  int32_t count = RenderSamples(volume_gain, StoreSample, &next);
  Put32(image + 42, uint32_t(2 * count));
  Put32(image + 4, uint32_t(38 + 2 * count));
  return kWavHeaderBytes + 2 * count;
}

int32_t RenderWubbleImage(int32_t seed, int32_t mutations, int32_t volume,
                          uint8_t *image) {
  float volume_gain = VolumeGain(volume);
  synth.running = 1;
  GenerateEffectParams(seed);
  MutateEffectParams(mutations);
  return WriteWavImage(volume_gain, image);
}
}  // namespace reference

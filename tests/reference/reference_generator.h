// The oracle generator: the same interface as the product, in its own namespace.
#pragma once
#include <cstdint>

namespace reference {
// The seeded random source: a rotated lagged-Fibonacci generator with 17
// entries of two 32-bit words and a 64-bit output. Its exact sequence is part
// of every sound, so nothing here may change without changing every seed.

struct RandomEntry {
  uint32_t first;
  uint32_t second;
};

struct RandomState {
  RandomEntry table[17];
  int32_t lead;    // entry the next step overwrites
  int32_t lag;     // entry the next step adds in
  bool seeded;
};

extern RandomState random_state;

// Milliseconds from a monotonic clock, truncated to 32 bits (wraps).
uint32_t TickCount();

uint64_t RandomStep();
void SeedRandom(int32_t seed);
int32_t RandomUpTo(int32_t max);
double RandomSpan(float range);
// Arithmetic helpers shared by parameter generation and synthesis. The
// generator evaluates every expression in double and rounds once to the width
// of the destination; these helpers are the only conversions it uses.

float PowSingle(float base, float exponent);
double PowDouble(double base, double exponent);

// Conversions to a signed 32-bit integer. A NaN or a value with no 32-bit
// answer gives INT32_MIN, as the hardware conversion of the original platform
// does; a plain C++ cast of such a value would be undefined behaviour.
int32_t TruncToInt(double x);
int32_t RoundToInt(double x);  // nearest, halves to even
// The synthesis parameters of one sound, drawn from the seed and mutated.

struct EffectParams {
  int32_t waveform;  // 0 square, 1 saw, 2 sine, 3 noise
  float pitch_start;
  float pitch_floor;
  float pitch_slide;
  float pitch_slide_accel;
  float pulse_width;
  float pulse_width_sweep;
  float wobble_depth;
  float wobble_rate;
  float spare_param;  // drawn and mutated, read by nothing
  float attack_time;
  float hold_time;
  float release_time;
  float punch;
  float lowpass_resonance;
  float lowpass_cutoff;
  float lowpass_sweep;
  float highpass_cutoff;
  float highpass_sweep;
  float phaser_offset;
  float phaser_sweep;
  float retrigger_rate;
  float step_speed;
  float step_ratio;
};

extern EffectParams effect_params;

void GenerateEffectParams(int32_t seed);
void MutateEffectParams(int32_t mutations);
// The synthesis engine: one oscillator through a resonant low-pass, a
// high-pass and a phaser, shaped by a three-stage envelope, 9 passes a sample.

struct SynthState {
  double period;        // oscillator period, in passes
  double max_period;
  double slide;         // factor on period once per sample
  double slide_accel;   // added to slide once per sample
  double step_mul;      // factor of the one-time pitch step
  int32_t step_time;
  int32_t step_limit;   // 0: no (further) step
  int32_t period_int;   // at least 8
  int32_t phase;        // carries over from one sound to the next
  int32_t running;
  int32_t retrigger_time;
  int32_t retrigger_limit;  // 0: never
  float duty;
  float duty_sweep;
  float wobble_phase;
  float wobble_speed;
  float wobble_amp;
  int32_t env_stage;    // 0 attack, 1 hold, 2 release, 3 ended
  int32_t env_time;
  float env_vol;
  float lp_out;
  float lp_delta;
  float lp_coeff;
  float lp_coeff_mul;
  float lp_damping;
  float hp_out;
  float hp_coeff;
  float hp_coeff_mul;
  float phaser_pos;
  float phaser_delta;
  int32_t phaser_lag;
  int32_t phaser_write;
};

constexpr int kMaxSamples = 128001;
constexpr int kStageLengthsSize = 6;
constexpr int kPhaserBufferSize = 1026;
constexpr int kNoiseBufferSize = 34;

extern SynthState synth;
extern int32_t *StageLengths;
extern float *PhaserBuffer;
extern float *NoiseBuffer;

// Receives each sample as it is made.
typedef void (*SampleSink)(int16_t sample, void *user);

void AllocateSynthArrays();
void ResetSynth(int32_t full);
int32_t RenderSamples(float volume_gain, SampleSink sink, void *user);

// One step of RenderSamples: makes the next sample and returns its level
// just before the conversion to 16 bits (within -30000..30000).
float RenderOneSample(float volume_gain);

// The output scaling of a sum of passes, before the conversion to 16 bits.
float ScaleOutput(float acc, float volume_gain);
// The in-memory WAV image of one sound: RIFF/WAVE, 16-bit mono 44100 Hz PCM
// behind a fixed 46-byte header, in a zero-filled 260000-byte buffer.

constexpr int32_t kWavImageBytes = 260000;
constexpr int32_t kWavHeaderBytes = 46;

struct WaveFormat {
  int16_t format_tag;
  int16_t channels;
  int32_t sample_rate;
  int32_t byte_rate;
  int16_t block_align;
  int16_t bits_per_sample;
  int16_t extra_format_bytes;
};

extern WaveFormat wave_format;

// Builds the image of one sound into `image` (kWavImageBytes, zero-filled):
// parameters, synthesis reset, header, samples, sizes. Returns the content
// length 46 + 2N. Continues the oscillator phase of the sound made before.
int32_t RenderWubbleImage(int32_t seed, int32_t mutations, int32_t volume,
                          uint8_t *image);

// The second half of RenderWubbleImage: resets the synthesis for the
// current EffectParams and writes the header, the samples and the sizes.
// `running` must be 1.
int32_t WriteWavImage(float volume_gain, uint8_t *image);

// volume is a signed byte; wider values keep their low 8 bits.
float VolumeGain(int32_t volume);
}  // namespace reference

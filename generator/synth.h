// The synthesis engine: one oscillator through a resonant low-pass, a
// high-pass and a phaser, shaped by a three-stage envelope, 9 passes a sample.
#pragma once
#include <cstdint>

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

struct WubbleGenerator;

// The default generator's state and work arrays (see generator.h).
extern SynthState &synth;
extern int32_t *&StageLengths;
extern float *&PhaserBuffer;
extern float *&NoiseBuffer;

// Receives each sample as it is made.
typedef void (*SampleSink)(int16_t sample, void *user);

// Each call works on the generator it is given; the forms without one work
// on the default generator.
void AllocateSynthArrays(WubbleGenerator &g);
void AllocateSynthArrays();
void FillNoise(WubbleGenerator &g);  // 33 draws into its NoiseBuffer[0..32]
void ResetSynth(WubbleGenerator &g, int32_t full);
void ResetSynth(int32_t full);
int32_t RenderSamples(float volume_gain, SampleSink sink, void *user);

// RenderSamples storing each sample straight into `out` as 16-bit
// little-endian, 2 bytes a sample. Returns N.
int32_t RenderSamplesInto(WubbleGenerator &g, float volume_gain, uint8_t *out);

// One step of RenderSamples: makes the next sample, when `running` is 1,
// and returns its level just before the conversion to 16 bits (within
// -30000..30000); 0 when the sound has ended.
float RenderOneSample(float volume_gain);

// The output scaling of a sum of passes, before the conversion to 16 bits.
float ScaleOutput(float acc, float volume_gain);
// The conversion of a level to a sample.
int16_t ToSample(float level);
// `count` sums of passes scaled and converted, each stored as 16-bit
// little-endian at out + 2 * i.
void ScaleSamplesInto(const float *acc, int32_t count, float volume_gain, uint8_t *out);

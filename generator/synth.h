// The synthesis engine: one oscillator through a resonant low-pass, a
// high-pass and a phaser, shaped by a three-stage envelope, 9 passes a sample.
#pragma once
#include <cstdint>

struct WubbleGenerator;

namespace wubble {

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

// Replaces the generator's work arrays with fresh zeroed ones.
void AllocateSynthArrays(WubbleGenerator &g);
// Allocates them when they are missing; false when they cannot be had.
bool PrepareSynthArrays(WubbleGenerator &g);
// 33 draws into NoiseBuffer[0..32].
void FillNoise(WubbleGenerator &g);
void ResetSynth(WubbleGenerator &g, int32_t full);

// The samples of the sound that ResetSynth(g, 1) set up, each stored as
// 16-bit little-endian at out + 2 * i; returns their count N.
int32_t RenderSamples(WubbleGenerator &g, float volume_gain, uint8_t *out);
// The render loop: makes samples, at most `max_count`, until the sound
// ends, and stores the sum of each sample's passes, before the output
// scaling, in sums[i]; returns how many it made. The state is complete
// between two calls, so a sound may be made in pieces of any size.
int32_t RenderSums(WubbleGenerator &g, float *sums, int32_t max_count);

// The output scaling of a sum of passes, before the conversion to 16 bits.
float ScaleOutput(float acc, float volume_gain);
// `count` sums of passes scaled and converted to samples, each stored as
// 16-bit little-endian at out + 2 * i.
void ScaleSamples(const float *sums, int32_t count, float volume_gain, uint8_t *out);

}  // namespace wubble

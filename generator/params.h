// The synthesis parameters of one sound, drawn from the seed and mutated.
#pragma once
#include <cstdint>

struct WubbleGenerator;

namespace wubble {

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

// Reseed the generator's random source and draw its parameters; mutate them.
void GenerateEffectParams(WubbleGenerator &g, int32_t seed);
void MutateEffectParams(WubbleGenerator &g, int32_t mutations);

}  // namespace wubble

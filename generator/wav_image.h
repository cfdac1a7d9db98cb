// The in-memory WAV image of one sound: RIFF/WAVE, 16-bit mono 44100 Hz PCM
// behind a fixed 46-byte header, in a zero-filled 260000-byte buffer.
#pragma once
#include <cstdint>

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

// The same values for every sound, so one constant record serves every
// generator.
extern const WaveFormat wave_format;

struct WubbleGenerator;

// Builds the image of one sound into `image` (kWavImageBytes, zero-filled)
// with generator `g`: parameters, synthesis reset, header, samples, sizes.
// Returns the content length 46 + 2N. Continues the oscillator phase of the
// sound `g` made before.
int32_t RenderWubbleImage(WubbleGenerator &g, int32_t seed, int32_t mutations, int32_t volume,
                          uint8_t *image);
// The same with the default generator.
int32_t RenderWubbleImage(int32_t seed, int32_t mutations, int32_t volume,
                          uint8_t *image);

// The second half of RenderWubbleImage: resets the synthesis for the
// current EffectParams and writes the header, the samples and the sizes.
// `running` must be 1.
int32_t WriteWavImage(WubbleGenerator &g, float volume_gain, uint8_t *image);
int32_t WriteWavImage(float volume_gain, uint8_t *image);

// volume is a signed byte; wider values keep their low 8 bits.
float VolumeGain(int32_t volume);

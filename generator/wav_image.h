// The in-memory WAV image of one sound: RIFF/WAVE, 16-bit mono 44100 Hz PCM
// behind a fixed 46-byte header, in a zero-filled 260000-byte buffer.
#pragma once
#include <cstdint>

namespace wubble {

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

// Everything but the two size fields, which are known only after rendering.
void WriteWavHeader(uint8_t *image);
// The size fields of an image of `count` samples.
void WriteWavSizes(uint8_t *image, int32_t count);

// volume is a signed byte; wider values keep their low 8 bits.
float VolumeGain(int32_t volume);

}  // namespace wubble

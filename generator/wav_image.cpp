#include "wav_image.h"

#include <cstring>

namespace wubble {

float VolumeGain(int32_t volume) {
  int8_t byte = int8_t(uint8_t(uint32_t(volume) & 0xFFu));
  return float(byte / 10.0);
}

static constexpr WaveFormat MakeWaveFormat() {
  WaveFormat f{};
  f.format_tag = 1;
  f.channels = 1;
  f.sample_rate = 44100;
  f.bits_per_sample = 16;
  f.block_align = int16_t(f.channels * f.bits_per_sample / 8);
  f.byte_rate = f.sample_rate * f.block_align;
  f.extra_format_bytes = 0;
  return f;
}

const WaveFormat wave_format = MakeWaveFormat();

static void PutTag(uint8_t *at, const char *tag) { std::memcpy(at, tag, 4); }

static void Put16(uint8_t *at, int32_t value) {
  at[0] = uint8_t(value);
  at[1] = uint8_t(uint32_t(value) >> 8);
}

static void Put32(uint8_t *at, uint32_t value) {
  for (int i = 0; i < 4; i++) at[i] = uint8_t(value >> (8 * i));
}

void WriteWavHeader(uint8_t *image) {
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

void WriteWavSizes(uint8_t *image, int32_t count) {
  Put32(image + 42, uint32_t(2 * count));
  Put32(image + 4, uint32_t(38 + 2 * count));
}

}  // namespace wubble

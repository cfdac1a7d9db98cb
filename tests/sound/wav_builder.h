// Builds WAV images for the tests byte by byte, so each test can bend one
// field of an otherwise valid image.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct WavFormat {
  uint16_t format_tag = 1;
  uint16_t channels = 1;
  uint32_t sample_rate = 44100;
  uint16_t bits_per_sample = 16;
  uint16_t block_align = 2;
  uint32_t fmt_size = 18;  // 16, or 18 with the extra-size word; 40 for an extensible record
  uint16_t sub_format = 0;  // with format_tag 0xFFFE: the first two bytes of its GUID (1: PCM)
};

inline void PutU16(Bytes &b, size_t at, uint16_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}

inline void PutU32(Bytes &b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A chunk header and body, and the pad byte after an odd body when asked.
inline Bytes Chunk(const std::string &id, const Bytes &body, bool pad = false) {
  Bytes out(8);
  for (int i = 0; i < 4; ++i) out[i] = uint8_t(id[i]);
  PutU32(out, 4, uint32_t(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (pad && body.size() % 2 == 1) out.push_back(0);
  return out;
}

// "RIFF", size, "WAVE", the fmt chunk, `between` (further chunks) and the
// data chunk holding `pcm`.
inline Bytes BuildWav(const WavFormat &f, const Bytes &pcm, const Bytes &between = {}) {
  Bytes fmt(16, 0);
  PutU16(fmt, 0, f.format_tag);
  PutU16(fmt, 2, f.channels);
  PutU32(fmt, 4, f.sample_rate);
  PutU32(fmt, 8, f.sample_rate * f.block_align);
  PutU16(fmt, 12, f.block_align);
  PutU16(fmt, 14, f.bits_per_sample);
  fmt.resize(f.fmt_size, 0);  // shorter than 16 cuts the record
  if (f.fmt_size >= 40) {
    const uint8_t guid_tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    PutU16(fmt, 16, 22);  // the extension's size
    PutU16(fmt, 18, f.bits_per_sample);  // valid bits
    PutU32(fmt, 20, f.channels == 1 ? 0x4 : 0x3);  // speakers: centre, or left and right
    PutU16(fmt, 24, f.sub_format);
    for (int i = 0; i < 14; ++i) fmt[26 + i] = guid_tail[i];
  }
  Bytes image = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  Bytes fmt_chunk = Chunk("fmt ", fmt);
  Bytes data_chunk = Chunk("data", pcm);
  image.insert(image.end(), fmt_chunk.begin(), fmt_chunk.end());
  image.insert(image.end(), between.begin(), between.end());
  image.insert(image.end(), data_chunk.begin(), data_chunk.end());
  PutU32(image, 4, uint32_t(image.size() - 8));
  return image;
}

inline Bytes PcmBytes(const std::vector<int16_t> &samples) {
  Bytes out(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) PutU16(out, 2 * i, uint16_t(samples[i]));
  return out;
}

// Mono 16-bit 44100 Hz with an 18-byte fmt chunk: the PCM starts at byte 46.
inline Bytes Mono16Wav(const std::vector<int16_t> &samples) { return BuildWav(WavFormat(), PcmBytes(samples)); }

// `samples` interleaved left, right.
inline Bytes Stereo16Wav(const std::vector<int16_t> &samples) {
  WavFormat f;
  f.channels = 2;
  f.block_align = 4;
  return BuildWav(f, PcmBytes(samples));
}

// Full-scale noise with both extremes near the start, so a lost, shifted or
// scaled sample shows.
inline std::vector<int16_t> TestSamples(size_t count, uint32_t seed) {
  std::vector<int16_t> out(count);
  for (size_t i = 0; i < count; ++i) {
    seed = seed * 1664525u + 1013904223u;
    out[i] = int16_t(seed >> 16);
  }
  if (count > 2) {
    out[0] = 32767;
    out[1] = -32768;
  }
  return out;
}

#include "wav_reader.h"

#include <cstring>

namespace wubble {

namespace {

const uint16_t kIntegerPcm = 1;
const uint64_t kChunkHeaderBytes = 8;
const uint32_t kFormatRecordBytes = 16;  // the record without its extra-size word

uint16_t ReadU16(const uint8_t *at) { return uint16_t(at[0] | at[1] << 8); }

uint32_t ReadU32(const uint8_t *at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

bool HasId(const uint8_t *at, const char *id) { return std::memcmp(at, id, 4) == 0; }

// Offsets are kept in 64 bits: a chunk size near 2^32 must not wrap the walk
// back into the image.
bool FindDataChunk(const uint8_t *image, uint32_t length, uint64_t *data_at, uint32_t *data_size) {
  uint64_t at = 20 + uint64_t(ReadU32(image + 16));
  while (at + kChunkHeaderBytes <= length) {
    uint32_t size = ReadU32(image + at + 4);
    if (HasId(image + at, "data")) {
      *data_at = at + kChunkHeaderBytes;
      *data_size = size;
      return true;
    }
    at += kChunkHeaderBytes + size;  // no padding to an even size
  }
  return false;
}

bool IsPlayableFormat(const SoundImageView &view) {
  if (view.format_tag != kIntegerPcm) return false;
  if (view.channels != 1 && view.channels != 2) return false;
  if (view.bits_per_sample != 8 && view.bits_per_sample != 16) return false;
  return view.block_align == view.channels * view.bits_per_sample / 8;
}

}  // namespace

bool ReadSoundImage(const uint8_t *image, uint32_t length, SoundImageView *out) {
  if (image == nullptr || length < 20) return false;
  if (!HasId(image, "RIFF") || !HasId(image + 12, "fmt ")) return false;
  if (ReadU32(image + 16) < kFormatRecordBytes || length < 20 + kFormatRecordBytes) return false;

  SoundImageView view;
  view.format_tag = ReadU16(image + 20);
  view.channels = ReadU16(image + 22);
  view.sample_rate = ReadU32(image + 24);
  view.block_align = ReadU16(image + 32);
  view.bits_per_sample = ReadU16(image + 34);
  if (!IsPlayableFormat(view)) return false;

  uint64_t data_at = 0;
  uint32_t data_size = 0;
  if (!FindDataChunk(image, length, &data_at, &data_size)) return false;
  uint64_t inside = length - data_at;
  uint64_t bytes = data_size < inside ? data_size : inside;
  view.pcm = image + data_at;
  view.pcm_bytes = uint32_t(bytes - bytes % view.block_align);
  *out = view;
  return true;
}

}  // namespace wubble

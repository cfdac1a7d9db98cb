#include "wav_reader.h"

#include <cstring>

namespace wubble {

namespace {

const uint16_t kIntegerPcm = 1;
const uint16_t kExtensible = 0xFFFE;
const uint64_t kChunkHeaderBytes = 8;
const uint32_t kFormatRecordBytes = 16;       // the record without its extra-size word
const uint32_t kExtensibleRecordBytes = 40;   // with the 22 bytes of the extension
const uint16_t kExtensionBytes = 22;
// The sub-format of integer PCM: the GUID 00000001-0000-0010-8000-00AA00389B71
// as it is stored.
const uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                   0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t ReadU16(const uint8_t *at) { return uint16_t(at[0] | at[1] << 8); }

uint32_t ReadU32(const uint8_t *at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

bool HasId(const uint8_t *at, const char *id) { return std::memcmp(at, id, 4) == 0; }

// A chunk's body and the pad byte that follows an odd one.
uint64_t PaddedSize(uint32_t size) { return uint64_t(size) + (size & 1); }

// Offsets are kept in 64 bits: a chunk size near 2^32 must not wrap the walk
// back into the image. A chunk that does not end inside the image ends the
// walk, and a data chunk is refused unless all of it lies inside.
bool FindDataChunk(const uint8_t *image, uint32_t length, uint64_t *data_at, uint32_t *data_size) {
  uint64_t at = 20 + PaddedSize(ReadU32(image + 16));
  while (at + kChunkHeaderBytes <= length) {
    uint32_t size = ReadU32(image + at + 4);
    uint64_t body = at + kChunkHeaderBytes;
    if (body + size > length) return false;
    if (HasId(image + at, "data")) {
      *data_at = body;
      *data_size = size;
      return true;
    }
    at = body + PaddedSize(size);
  }
  return false;
}

// WAVE_FORMAT_EXTENSIBLE holding integer PCM plays as the plain record does;
// its valid-bits and speaker fields change nothing for one or two channels.
bool IsExtensiblePcm(const uint8_t *image, uint32_t fmt_size) {
  if (fmt_size < kExtensibleRecordBytes || ReadU16(image + 36) < kExtensionBytes) return false;
  return std::memcmp(image + 44, kPcmSubFormat, sizeof kPcmSubFormat) == 0;
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
  uint32_t fmt_size = ReadU32(image + 16);
  if (fmt_size < kFormatRecordBytes || 20 + uint64_t(fmt_size) > length) return false;

  SoundImageView view;
  view.format_tag = ReadU16(image + 20);
  if (view.format_tag == kExtensible && IsExtensiblePcm(image, fmt_size)) view.format_tag = kIntegerPcm;
  view.channels = ReadU16(image + 22);
  view.sample_rate = ReadU32(image + 24);
  view.block_align = ReadU16(image + 32);
  view.bits_per_sample = ReadU16(image + 34);
  if (!IsPlayableFormat(view)) return false;

  uint64_t data_at = 0;
  uint32_t data_size = 0;
  if (!FindDataChunk(image, length, &data_at, &data_size)) return false;
  view.pcm = image + data_at;
  view.pcm_bytes = data_size - data_size % view.block_align;
  *out = view;
  return true;
}

}  // namespace wubble

// Reads the parts of an in-memory WAV image that playback needs: the format
// record and where the PCM bytes lie. Pure: no device, no allocation, no
// globals, so it can be tested and fuzzed on its own.
#pragma once
#include <cstdint>

namespace wubble {

struct SoundImageView {
  uint16_t format_tag;
  uint16_t channels;
  uint32_t sample_rate;
  uint16_t block_align;
  uint16_t bits_per_sample;
  const uint8_t *pcm;  // points into the caller's image
  uint32_t pcm_bytes;  // a whole number of blocks, all inside the image
};

// Finds the format record and the data chunk of `image`. Every read stays
// inside the first `length` bytes: the walk fails where a chunk header would
// not fit, and a data chunk that runs past the end is cut to the whole blocks
// that lie inside. Accepts integer PCM only, 8 or 16 bits, one or two
// channels, with the block align those imply (the device plays whole frames
// only). Returns false, leaving *out untouched, for anything else.
bool ReadSoundImage(const uint8_t *image, uint32_t length, SoundImageView *out);

}  // namespace wubble

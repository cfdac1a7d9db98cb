// Reads the parts of an in-memory WAV image that playback needs: the format
// record and where the PCM bytes lie. Pure: no device, no allocation, no
// globals and nothing of any audio library, so every playback binding can
// share it, and it can be tested and fuzzed on its own.
#pragma once
#include <cstdint>

namespace wubble {

struct SoundImageView {
  uint16_t format_tag;  // 1, integer PCM, also for an extensible record holding it
  uint16_t channels;
  uint32_t sample_rate;
  uint16_t block_align;
  uint16_t bits_per_sample;
  const uint8_t *pcm;  // points into the caller's image
  uint32_t pcm_bytes;  // a whole number of blocks, all inside the image
};

// Finds the format record and the data chunk of `image`, as RIFF lays them
// out: "RIFF" at byte 0 (its size and form type are not read), the "fmt "
// chunk at byte 12, then chunks each followed by a pad byte when its size is
// odd, walked until "data". Every read stays inside the first `length`
// bytes: a chunk that runs past them, the data chunk included, is refused,
// and the PCM bytes are cut to whole blocks. Accepts integer PCM only, in a
// plain format record (tag 1) or a WAVE_FORMAT_EXTENSIBLE one (tag 0xFFFE
// with the PCM sub-format): 8 or 16 bits, one or two channels, with the
// block align those imply (the device plays whole frames only). Returns
// false, leaving *out untouched, for anything else.
bool ReadSoundImage(const uint8_t *image, uint32_t length, SoundImageView *out);

}  // namespace wubble

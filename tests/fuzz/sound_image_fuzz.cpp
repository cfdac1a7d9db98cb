// Any bytes as a WAV image, loaded into slot 1 of the playback service on a
// real OpenAL loopback device, then played for a few frames, positioned and
// halted. Besides the sanitizers' checks it traps when:
// - a load succeeds although the reader refused the image;
// - the reader's view leaves the image, or holds a part of a frame;
// - the RIFF size or the form type (bytes 4..11) change the reader's answer;
// - a halted or refused sound reports a play position other than 0;
// - a play position lies beyond the sound's data.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <AL/alc.h>

#include "loopback.h"
#include "sound.h"
#include "wav_reader.h"

using namespace wubble;

namespace {

ALCdevice *device = nullptr;
const int kChannels = 2;
const int kFramesPerRender = 64;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool SameView(const SoundImageView &a, const SoundImageView &b) {
  return a.format_tag == b.format_tag && a.channels == b.channels &&
         a.sample_rate == b.sample_rate && a.block_align == b.block_align &&
         a.bits_per_sample == b.bits_per_sample && a.pcm == b.pcm && a.pcm_bytes == b.pcm_bytes;
}

// Reads the image through the pure reader and checks the view it gives.
bool ReadAndCheck(const uint8_t *image, uint32_t length, SoundImageView *view) {
  if (!ReadSoundImage(image, length, view)) return false;
  Check(view->block_align != 0 && view->pcm_bytes % view->block_align == 0);
  Check(view->pcm >= image && view->pcm <= image + length);
  Check(uint64_t(view->pcm - image) + view->pcm_bytes <= length);
  // Touch every byte handed on, so a view past the image shows at once.
  volatile uint8_t sink = 0;
  for (uint32_t i = 0; i < view->pcm_bytes; ++i) sink = sink ^ view->pcm[i];
  (void)sink;

  // Bytes 4..11 are not read: flipping them leaves the answer unchanged.
  if (length >= 12) {
    std::vector<uint8_t> bent(image, image + length);
    for (int i = 4; i < 12; ++i) bent[i] = uint8_t(~bent[i]);
    SoundImageView other;
    Check(ReadSoundImage(bent.data(), length, &other));
    other.pcm = image + (other.pcm - bent.data());
    Check(SameView(*view, other));
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  setenv("ALSOFT_DRIVERS", "none", 1);  // the loopback device needs no output
  device = StartServiceOnLoopback(kChannels);
  if (device == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > UINT32_MAX) return 0;
  uint32_t length = uint32_t(size);
  SoundImageView view;
  bool readable = ReadAndCheck(data, length, &view);

  HaltSound(1);
  int32_t loaded = LoadSoundImage(1, data, length);
  if (loaded) Check(readable);
  if (!loaded) {
    // The slot keeps whatever it held, halted above: its position is 0.
    Check(SoundCursor(1) == 0);
    return 0;
  }
  Check(SoundCursor(1) == 0);  // loaded, not started
  if (StartSound(1)) {
    RenderFrames(device, kFramesPerRender, kChannels);
    Check(SoundCursor(1) <= view.pcm_bytes);
  }
  HaltSound(1);
  Check(SoundCursor(1) == 0);
  return 0;
}

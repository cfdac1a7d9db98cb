#include "create_wubble.h"

#include <cstdlib>
#include <cstring>

#include "sound.h"
#include "synth_ready.h"
#include "wav_image.h"

int32_t CreateWubble(int32_t seed, int32_t mutations, int32_t volume,
                     int32_t slot, uint8_t *dest) {
  if (!PrepareSynthArrays(default_generator)) return 0;  // the slot keeps its old sound
  uint8_t *image = static_cast<uint8_t *>(std::calloc(kWavImageBytes, 1));
  if (!image) return 0;  // no sound can be built; the slot keeps its old one
  int32_t length = RenderWubbleImage(seed, mutations, volume, image);
  LoadSoundImage(slot, image, uint32_t(length));
  if (dest) std::memcpy(dest, image, kWavImageBytes);
  std::free(image);
  return 0;
}

// CreateWubble, the entry of the app: the sound of three numbers made on
// the default generator and loaded into a playback slot.
#include "create_wubble.h"

#include <cstdlib>
#include <cstring>

#include "default_generator.h"
#include "render_wubble.h"
#include "sound.h"
#include "wav_image.h"

using namespace wubble;

int32_t CreateWubble(int32_t seed, int32_t mutations, int32_t volume, int32_t slot,
                     uint8_t *dest) {
  uint8_t *image = static_cast<uint8_t *>(std::malloc(kWavImageBytes));
  if (!image) return 0;  // no sound can be built; the slot keeps its old one
  int32_t length = RenderWubbleImage(default_generator, seed, mutations, volume, image);
  if (length > 0) {
    LoadSoundImage(slot, image, uint32_t(length));
    if (dest) std::memcpy(dest, image, kWavImageBytes);
  }
  std::free(image);
  return 0;
}

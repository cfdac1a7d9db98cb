/* Prints the length and the FNV-1a hash of the tool's first sound. */
#include <stdio.h>
#include <wubble.h>

static uint8_t image[WUBBLE_IMAGE_BYTES];

int main(void) {
  int32_t length = RenderWubble(9837320, 0, 5, image);
  uint64_t hash = 0xcbf29ce484222325ull;
  for (int32_t i = 0; i < length; i++) hash = (hash ^ image[i]) * 0x100000001b3ull;
  printf("%d %016llx\n", (int)length, (unsigned long long)hash);
  return length > 0 ? 0 : 1;
}

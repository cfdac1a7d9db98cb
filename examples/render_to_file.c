/* Renders one sound into a WAV file with the Wubble library; no audio device
 * is needed. The file is the same, byte for byte, every time.
 *
 *   render_to_file SEED MUTATIONS VOLUME FILE.wav
 *
 * Build: see examples/CMakeLists.txt, or
 *   cc render_to_file.c $(pkg-config --cflags --libs wubble-generator) */
#include <stdio.h>
#include <stdlib.h>
#include <wubble.h>

static uint8_t image[WUBBLE_IMAGE_BYTES];

/* A whole decimal number within [min, max]. A seed may also be written
 * unsigned, as 0..4294967295. */
static int ReadNumber(const char *text, long long min, long long max, int32_t *out) {
  char *end;
  long long value = strtoll(text, &end, 10);
  if (end == text || *end != '\0' || value < min || value > max) return 0;
  *out = (int32_t)(uint32_t)value;
  return 1;
}

int main(int argc, char **argv) {
  int32_t seed, mutations, volume;
  if (argc != 5 || !ReadNumber(argv[1], -2147483648LL, 4294967295LL, &seed) ||
      !ReadNumber(argv[2], 0, 2147483647LL, &mutations) ||
      !ReadNumber(argv[3], -128, 127, &volume)) {
    fprintf(stderr, "usage: render_to_file SEED MUTATIONS VOLUME FILE.wav\n");
    return 2;
  }
  /* The image is a complete WAV file; only its first `length` bytes count. */
  int32_t length = RenderWubble(seed, mutations, volume, image);
  if (length == 0) {
    fprintf(stderr, "render_to_file: out of memory\n");
    return 1;
  }
  FILE *file = fopen(argv[4], "wb");
  int ok = file != NULL && fwrite(image, 1, (size_t)length, file) == (size_t)length;
  if (file != NULL && fclose(file) != 0) ok = 0;
  if (!ok) {
    perror(argv[4]);
    return 1;
  }
  return 0;
}

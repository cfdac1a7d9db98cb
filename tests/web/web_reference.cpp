// The native side of the web tests: what the desktop build makes, for the
// page and the package to be compared with.
//
//   web_reference images S,M,V...   CreateWubble's images of those calls in
//                                   order, as the window makes them (the
//                                   oscillator carried over): for each, its
//                                   content length (4 bytes, little-endian)
//                                   and its content
//   web_reference scope POSITION... < IMAGE
//                                   the scope picture (190 x 64 RGB, rows
//                                   top first) of the image at each position
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scope_picture.h"
#include "wubble.h"

namespace {

bool Write(const void *bytes, size_t count) {
  return std::fwrite(bytes, 1, count, stdout) == count;
}

int Images(int count, char **calls) {
  std::vector<uint8_t> image(WUBBLE_IMAGE_BYTES);
  for (int k = 0; k < count; ++k) {
    long seed, mutations, volume;
    char end;
    if (std::sscanf(calls[k], "%ld,%ld,%ld%c", &seed, &mutations, &volume, &end) != 3) {
      std::fprintf(stderr, "web_reference: not S,M,V: %s\n", calls[k]);
      return 2;
    }
    CreateWubble(int32_t(seed), int32_t(mutations), int32_t(volume), 1, image.data());
    uint32_t data_size = image[42] | image[43] << 8 | image[44] << 16 | uint32_t(image[45]) << 24;
    uint32_t length = 46 + data_size;
    const uint8_t prefix[4] = {uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16),
                               uint8_t(length >> 24)};
    if (!Write(prefix, 4) || !Write(image.data(), length)) return 1;
  }
  return 0;
}

int Scope(int count, char **positions) {
  // Zero past what is read, as the window's copy of the image is.
  std::vector<uint8_t> image(WUBBLE_IMAGE_BYTES);
  size_t read = std::fread(image.data(), 1, image.size(), stdin);
  if (read < 46) {
    std::fprintf(stderr, "web_reference: no image on standard input\n");
    return 2;
  }
  std::vector<uint8_t> pixels(kScopeBytes);
  for (int k = 0; k < count; ++k) {
    RenderScope(image.data(), uint32_t(std::strtoul(positions[k], nullptr, 10)), pixels.data());
    if (!Write(pixels.data(), pixels.size())) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc >= 2 && std::strcmp(argv[1], "images") == 0) return Images(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "scope") == 0) return Scope(argc - 2, argv + 2);
  std::fprintf(stderr, "usage: web_reference images S,M,V... | scope POSITION... < IMAGE\n");
  return 2;
}

// Takes a PNG picture of a program's window, frame included, under a
// private Xvfb and openbox, while its start-up sound plays:
//   app_screenshot <program> <picture.png>
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "x_session.h"

namespace {

void PutWord(std::vector<uint8_t> *out, uint32_t word) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(word >> shift));
}

void PutChunk(std::vector<uint8_t> *out, const char *type, const std::vector<uint8_t> &data) {
  PutWord(out, static_cast<uint32_t>(data.size()));
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out->insert(out->end(), body.begin(), body.end());
  PutWord(out, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

bool WritePng(const char *path, int w, int h, const std::vector<uint8_t> &rgb) {
  std::vector<uint8_t> rows;
  for (int y = 0; y < h; ++y) {
    rows.push_back(0);  // no filter
    rows.insert(rows.end(), rgb.begin() + y * w * 3, rgb.begin() + (y + 1) * w * 3);
  }
  uLongf packed_size = compressBound(static_cast<uLong>(rows.size()));
  std::vector<uint8_t> packed(packed_size);
  if (compress2(packed.data(), &packed_size, rows.data(), rows.size(), 9) != Z_OK) return false;
  packed.resize(packed_size);
  std::vector<uint8_t> header;
  PutWord(&header, static_cast<uint32_t>(w));
  PutWord(&header, static_cast<uint32_t>(h));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(&png, "IHDR", header);
  PutChunk(&png, "IDAT", packed);
  PutChunk(&png, "IEND", {});
  FILE *file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  return std::fclose(file) == 0 && written;
}

// More than one colour: the window has been drawn.
bool IsDrawn(const std::vector<uint8_t> &rgb) {
  for (size_t k = 3; k + 2 < rgb.size(); ++k) {
    if (rgb[k] != rgb[k % 3]) return true;
  }
  return false;
}

bool HasWhite(const std::vector<uint8_t> &rgb) {
  for (size_t k = 0; k + 2 < rgb.size(); k += 3) {
    if (rgb[k] == 255 && rgb[k + 1] == 255 && rgb[k + 2] == 255) return true;
  }
  return false;
}

// The whole frame, once the scope (if there is one) shows a trace.
bool Capture(Display *display, Window window, const char *out) {
  long extents[4];
  if (!FrameExtents(display, window, extents)) return false;
  XWindowAttributes attributes;
  XGetWindowAttributes(display, window, &attributes);
  const int scale = attributes.width / 194 > 0 ? attributes.width / 194 : 1;
  double give_up = Now() + 3;
  while (Now() < give_up &&
         !IsDrawn(GrabPixels(display, window, 0, 0, attributes.width, attributes.height))) {
    usleep(5000);
  }
  while (attributes.height > 100 * scale && Now() < give_up &&
         !HasWhite(GrabPixels(display, window, 2 * scale, 42 * scale, 190 * scale, 64 * scale))) {
    usleep(5000);
  }
  usleep(30000);
  int x, y;
  RootPosition(display, window, &x, &y);
  int w = attributes.width + extents[0] + extents[1];
  int h = attributes.height + extents[2] + extents[3];
  std::vector<uint8_t> rgb = GrabPixels(display, DefaultRootWindow(display),
                                        x - extents[0], y - extents[2], w, h);
  return !rgb.empty() && WritePng(out, w, h, rgb);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: app_screenshot <program> <picture.png>\n");
    return 2;
  }
  setenv("ALSOFT_DRIVERS", "null", 1);
  StartXSession();
  pid_t program = Spawn({argv[1]});
  Display *display = XOpenDisplay(nullptr);
  Window window = FindClientWindow(display, "ZR-Wubble - Tarsk 08", 10);
  bool done = window != 0 && Capture(display, window, argv[2]);
  XCloseDisplay(display);
  kill(program, SIGTERM);
  waitpid(program, nullptr, 0);
  StopXSession();
  if (!done) std::fprintf(stderr, "app_screenshot: no picture taken\n");
  return done ? 0 : 1;
}

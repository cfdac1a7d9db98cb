// Takes a PNG picture of a program's window, frame included, under a
// private Xvfb and openbox, while its start-up sound plays:
//   app_screenshot [--here] <program> <picture.png> [argument...]
// The arguments go to the program. --here uses the X server of DISPLAY
// instead, as a program under wine needs the server its wine session has
// (`scripts/windows-session build-windows app_screenshot --here wine
// shot.png wubble-scope.exe`).
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
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
  // Drawn through: the controls' row unchanged for a fifth of a second (a
  // program under wine paints its captions some time after the window).
  auto controls = [&] { return GrabPixels(display, window, 0, 0, attributes.width, 40 * scale); };
  std::vector<uint8_t> last = controls();
  for (double steady_since = Now(); Now() < give_up + 3 && Now() - steady_since < 0.2; usleep(20000)) {
    std::vector<uint8_t> now = controls();
    if (now != last) steady_since = Now();
    last = now;
  }
  // The trace, of the start-up sound or, when that has played before the
  // window was drawn through, of the same sound played again by "Play".
  auto strip = [&] { return GrabPixels(display, window, 2 * scale, 42 * scale, 190 * scale, 64 * scale); };
  for (int round = 0; attributes.height > 100 * scale && round < 2 && !HasWhite(strip()); ++round) {
    if (round == 1) {
      RunCommand({"xdotool", "mousemove", "--window", std::to_string(window), std::to_string(177 * scale),
                  std::to_string(11 * scale), "click", "1"});
    }
    for (double wait_until = Now() + 3; Now() < wait_until && !HasWhite(strip());) usleep(5000);
  }
  if (attributes.height > 100 * scale) {
    // Back where the pointer does not hover over a control.
    RunCommand({"xdotool", "mousemove", "0", "0"});
  }
  usleep(30000);
  int x, y;
  RootPosition(display, window, &x, &y);
  int w = attributes.width + extents[0] + extents[1];
  int h = attributes.height + extents[2] + extents[3];
  std::vector<uint8_t> rgb = GrabPixels(display, DefaultRootWindow(display),
                                        x - extents[0], y - extents[2], w, h);
  // The client area from the window itself: read through the root, a window
  // of a program under wine can show an older picture than the window's own.
  std::vector<uint8_t> client = GrabPixels(display, window, 0, 0, attributes.width, attributes.height);
  if (rgb.empty() || client.empty()) return false;
  for (int row = 0; row < attributes.height; ++row) {
    std::copy(client.begin() + row * attributes.width * 3, client.begin() + (row + 1) * attributes.width * 3,
              rgb.begin() + ((row + extents[2]) * w + extents[0]) * 3);
  }
  return WritePng(out, w, h, rgb);
}

}  // namespace

int main(int argc, char **argv) {
  bool here = argc > 1 && std::string(argv[1]) == "--here";
  if (here) {
    --argc;
    ++argv;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: app_screenshot [--here] <program> <picture.png> [argument...]\n");
    return 2;
  }
  setenv("ALSOFT_DRIVERS", "null", 1);
  if (!here) StartXSession();
  IgnoreVanishedWindows();
  std::vector<std::string> command = {argv[1]};
  command.insert(command.end(), argv + 3, argv + argc);
  pid_t program = Spawn(command);
  Display *display = XOpenDisplay(nullptr);
  Window window = FindClientWindow(display, "ZR-Wubble - Tarsk 08", 10);
  bool done = window != 0 && Capture(display, window, argv[2]);
  XCloseDisplay(display);
  kill(program, SIGTERM);
  waitpid(program, nullptr, 0);
  if (!here) StopXSession();
  if (!done) std::fprintf(stderr, "app_screenshot: no picture taken\n");
  return done ? 0 : 1;
}

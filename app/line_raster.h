// Aliased 1-pixel lines into a 24-bit canvas, lit by the diamond-exit rule
// of OpenGL, so that the picture is the one an OpenGL renderer draws.
#pragma once
#include <cstdint>

// RGB bytes, row 0 first, no padding. Pixel (i, j) covers x from i to i + 1
// and y from j to j + 1 in the renderer's window coordinates.
struct Canvas {
  int32_t width;
  int32_t height;
  uint8_t *pixels;
};

struct Rgb {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

void FillCanvas(const Canvas &canvas, Rgb colour);

// The segment from (x0, y0) to (x1, y1), end points on pixel corners. A pixel
// is lit when the segment, shifted by the rule's infinitesimal (-e, -e*e),
// passes through the open diamond |x - cx| + |y - cy| < 1/2 around its
// centre. A corner never lies inside a diamond, so the rule's exception for
// a diamond holding the last end point never applies. Parts outside the
// canvas are clipped.
void DrawLine(const Canvas &canvas, int32_t x0, int32_t y0, int32_t x1,
              int32_t y1, Rgb colour);

#include "line_raster.h"

#include <algorithm>

namespace {

// a + b e + c e^2 for an infinitesimal e > 0: compared term by term.
struct Nudged {
  int64_t a;
  int64_t b;
  int64_t c;
};

Nudged Times(Nudged n, int64_t k) { return {n.a * k, n.b * k, n.c * k}; }

Nudged Negated(Nudged n) { return Times(n, -1); }

int Sign(Nudged n) {
  if (n.a != 0) return n.a < 0 ? -1 : 1;
  if (n.b != 0) return n.b < 0 ? -1 : 1;
  if (n.c != 0) return n.c < 0 ? -1 : 1;
  return 0;
}

// A value of the line parameter t: num / den with den > 0.
struct Fraction {
  Nudged num;
  int64_t den;
};

bool Less(const Fraction &p, const Fraction &q) {
  Nudged lhs = Times(p.num, q.den);
  Nudged rhs = Times(q.num, p.den);
  return Sign({lhs.a - rhs.a, lhs.b - rhs.b, lhs.c - rhs.c}) < 0;
}

// The open range of t in which one rotated coordinate of the segment,
// start + t * slope + nudge, lies strictly within (centre - 1, centre + 1).
// Returns false when no t qualifies; a zero slope gives the whole line or
// nothing, and `bounded` tells which.
struct AxisRange {
  bool any;
  bool bounded;
  Fraction low;
  Fraction high;
};

AxisRange RangeOnAxis(int64_t start, int64_t slope, Nudged nudge, int64_t centre) {
  Nudged low = {centre - 1 - start - nudge.a, -nudge.b, -nudge.c};
  Nudged high = {centre + 1 - start - nudge.a, -nudge.b, -nudge.c};
  if (slope == 0) return {Sign(low) < 0 && Sign(high) > 0, false, {}, {}};
  if (slope > 0) return {true, true, {low, slope}, {high, slope}};
  return {true, true, {Negated(high), -slope}, {Negated(low), -slope}};
}

// Coordinates doubled, so that pixel centres are integers and the diamond's
// half-diagonal is 1; rotated by 45 degrees (u = x + y, v = x - y), so that
// the diamond becomes the open square |u - cu| < 1, |v - cv| < 1.
struct Segment {
  int64_t u0, du, v0, dv;
};

// The rule's shift (-e, -e^2) of both end points, in u and in v.
constexpr Nudged kNudgeU = {0, -1, -1};
constexpr Nudged kNudgeV = {0, -1, 1};

bool PassesThroughDiamond(const Segment &s, int32_t i, int32_t j) {
  int64_t cx = 2 * int64_t(i) + 1, cy = 2 * int64_t(j) + 1;
  AxisRange u = RangeOnAxis(s.u0, s.du, kNudgeU, cx + cy);
  AxisRange v = RangeOnAxis(s.v0, s.dv, kNudgeV, cx - cy);
  if (!u.any || !v.any) return false;
  if (!u.bounded && !v.bounded) return false;  // a point, not a line
  // The later of the two lower ends, the earlier of the two upper ends.
  Fraction low = !u.bounded ? v.low
               : !v.bounded ? u.low
               : Less(u.low, v.low) ? v.low : u.low;
  Fraction high = !u.bounded ? v.high
                : !v.bounded ? u.high
                : Less(u.high, v.high) ? u.high : v.high;
  const Fraction zero = {{0, 0, 0}, 1}, one = {{1, 0, 0}, 1};
  // Open (low, high) meets the closed segment range [0, 1].
  return Less(low, high) && Less(low, one) && Less(zero, high);
}

void Plot(const Canvas &canvas, int32_t i, int32_t j, Rgb colour) {
  uint8_t *pixel = canvas.pixels + (int64_t(j) * canvas.width + i) * 3;
  pixel[0] = colour.red;
  pixel[1] = colour.green;
  pixel[2] = colour.blue;
}

}  // namespace

void FillCanvas(const Canvas &canvas, Rgb colour) {
  for (int32_t j = 0; j < canvas.height; ++j) {
    for (int32_t i = 0; i < canvas.width; ++i) Plot(canvas, i, j, colour);
  }
}

void DrawLine(const Canvas &canvas, int32_t x0, int32_t y0, int32_t x1,
              int32_t y1, Rgb colour) {
  int64_t dx = 2 * (int64_t(x1) - x0), dy = 2 * (int64_t(y1) - y0);
  Segment s = {2 * (int64_t(x0) + y0), dx + dy, 2 * (int64_t(x0) - y0), dx - dy};
  // The shift moves the segment left and up by less than a pixel, so only
  // pixels from one column left and one row up of its box can be reached.
  int32_t first_i = std::max(std::min(x0, x1) - 1, 0);
  int32_t last_i = std::min(std::max(x0, x1) - 1, canvas.width - 1);
  int32_t first_j = std::max(std::min(y0, y1) - 1, 0);
  int32_t last_j = std::min(std::max(y0, y1) - 1, canvas.height - 1);
  for (int32_t j = first_j; j <= last_j; ++j) {
    for (int32_t i = first_i; i <= last_i; ++i) {
      if (PassesThroughDiamond(s, i, j)) Plot(canvas, i, j, colour);
    }
  }
}

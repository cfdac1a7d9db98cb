// Lines whose pixels are worked out by hand from the diamond-exit rule, and
// a check of the exact rasterizer against a plain numeric reading of the
// rule over many random segments.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "line_raster.h"

namespace {

constexpr Rgb kOff = {0, 0, 0};
constexpr Rgb kOn = {255, 255, 255};

// The canvas as rows of '.' and '#', row 0 first.
std::string Draw(int w, int h, int x0, int y0, int x1, int y1) {
  std::vector<uint8_t> pixels(w * h * 3);
  Canvas canvas = {w, h, pixels.data()};
  FillCanvas(canvas, kOff);
  DrawLine(canvas, x0, y0, x1, y1, kOn);
  std::string rows;
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) rows += pixels[(j * w + i) * 3] ? '#' : '.';
    rows += '\n';
  }
  return rows;
}

struct Case {
  const char *name;
  int x0, y0, x1, y1;
  const char *expected;  // 4 x 4 canvas
};

// Lines along pixel edges take the pixels above and to the left, because
// the rule shifts the segment by (-e, -e*e); other lines take the pixels
// whose diamonds they cross.
const Case kCases[] = {
    {"horizontal edge", 0, 2, 4, 2, "....\n####\n....\n....\n"},
    {"vertical edge", 2, 0, 2, 4, ".#..\n.#..\n.#..\n.#..\n"},
    {"top edge falls outside", 0, 0, 4, 0, "....\n....\n....\n....\n"},
    {"left edge falls outside", 0, 0, 0, 4, "....\n....\n....\n....\n"},
    {"bottom edge", 0, 4, 4, 4, "....\n....\n....\n####\n"},
    {"right edge", 4, 0, 4, 4, "...#\n...#\n...#\n...#\n"},
    {"diagonal", 0, 0, 4, 4, "#...\n.#..\n..#.\n...#\n"},
    {"anti-diagonal", 0, 4, 4, 0, "...#\n..#.\n.#..\n#...\n"},
    {"slope one half", 0, 0, 4, 2, "##..\n..##\n....\n....\n"},
    {"slope two", 0, 0, 2, 4, "#...\n#...\n.#..\n.#..\n"},
    {"steep, one column", 0, 0, 1, 4, "#...\n#...\n#...\n#...\n"},
    {"steep leaning back", 1, 0, 0, 4, "#...\n#...\n#...\n#...\n"},
    {"short step", 1, 2, 2, 1, "....\n.#..\n....\n....\n"},
    {"half outside", -2, 1, 2, 1, "##..\n....\n....\n....\n"},
};

TEST(DrawLine, LightsTheHandWorkedPixels) {
  for (const Case &c : kCases) {
    EXPECT_EQ(Draw(4, 4, c.x0, c.y0, c.x1, c.y1), c.expected) << c.name;
  }
}

TEST(DrawLine, GivesTheSamePixelsInEitherDirection) {
  for (const Case &c : kCases) {
    EXPECT_EQ(Draw(4, 4, c.x1, c.y1, c.x0, c.y0), c.expected) << c.name;
  }
}

TEST(DrawLine, LightsNothingForAPoint) {
  EXPECT_EQ(Draw(4, 4, 2, 2, 2, 2), "....\n....\n....\n....\n");
}

// The rule read numerically: the shift made small but finite, and a pixel
// lit when the least |x - cx| + |y - cy| over the segment is below 1/2.
// That sum is convex and piecewise linear in the line parameter, so its
// least value lies at an end or where x or y passes the centre.
bool ReferenceLit(int x0, int y0, int x1, int y1, int i, int j) {
  const double e = 1.0 / 4096;
  double ax = x0 - e, ay = y0 - e * e, dx = x1 - x0, dy = y1 - y0;
  double cx = i + 0.5, cy = j + 0.5;
  std::vector<double> ts = {0.0, 1.0};
  if (dx != 0) ts.push_back((cx - ax) / dx);
  if (dy != 0) ts.push_back((cy - ay) / dy);
  double least = 1e9;
  for (double t : ts) {
    if (t < 0 || t > 1) continue;
    least = std::min(least, std::fabs(ax + t * dx - cx) + std::fabs(ay + t * dy - cy));
  }
  return least < 0.5;
}

TEST(DrawLine, AgreesWithANumericReadingOfTheRule) {
  constexpr int kSize = 12;
  std::mt19937 random(20240601);
  std::uniform_int_distribution<int> coordinate(-2, kSize + 2);
  for (int n = 0; n < 3000; ++n) {
    int x0 = coordinate(random), y0 = coordinate(random);
    int x1 = coordinate(random), y1 = coordinate(random);
    if (x0 == x1 && y0 == y1) continue;
    std::string drawn = Draw(kSize, kSize, x0, y0, x1, y1);
    for (int j = 0; j < kSize; ++j) {
      for (int i = 0; i < kSize; ++i) {
        bool lit = drawn[j * (kSize + 1) + i] == '#';
        ASSERT_EQ(lit, ReferenceLit(x0, y0, x1, y1, i, j))
            << "(" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ") pixel " << i << "," << j;
      }
    }
  }
}

}  // namespace

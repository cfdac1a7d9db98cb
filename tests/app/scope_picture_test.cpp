// The oscilloscope picture, pixel by pixel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scope_picture.h"

namespace {

constexpr int kImageBytes = 260000;
constexpr int kSampleData = 46;

struct Colour {
  uint8_t r, g, b;
  bool operator==(const Colour &o) const { return r == o.r && g == o.g && b == o.b; }
};
constexpr Colour kBackground = {26, 38, 102};
constexpr Colour kMiddle = {217, 229, 252};
constexpr Colour kWhite = {255, 255, 255};

class ScopePicture : public ::testing::Test {
 protected:
  ScopePicture() : image_(kImageBytes, 0), pixels_(kScopeBytes, 0xAB) {}

  // Sample k counted from the play position.
  void SetSample(uint32_t position, int k, int16_t value) {
    size_t at = kSampleData + position + 2 * k;
    image_[at] = static_cast<uint8_t>(value & 0xFF);
    image_[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
  }
  void FillSamples(uint32_t position, int count, int16_t value) {
    for (int k = 0; k < count; ++k) SetSample(position, k, value);
  }
  void Render(uint32_t position) { RenderScope(image_.data(), position, pixels_.data()); }

  Colour At(int column, int row) const {
    const uint8_t *p = &pixels_[(row * kScopeWidth + column) * 3];
    return {p[0], p[1], p[2]};
  }

  // Every pixel is background except where `expected` names another colour.
  template <class Expected>
  void ExpectPicture(Expected expected) const {
    for (int row = 0; row < kScopeHeight; ++row) {
      for (int column = 0; column < kScopeWidth; ++column) {
        Colour want = expected(column, row);
        Colour got = At(column, row);
        ASSERT_TRUE(got == want) << "pixel " << column << "," << row << " is "
            << int(got.r) << "," << int(got.g) << "," << int(got.b);
      }
    }
  }

  std::vector<uint8_t> image_;
  std::vector<uint8_t> pixels_;
};

TEST_F(ScopePicture, PositionZeroShowsTheMiddleLineAlone) {
  FillSamples(0, 400, 20000);  // present, but nothing is playing
  Render(0);
  ExpectPicture([](int, int row) { return row == 31 ? kMiddle : kBackground; });
}

TEST_F(ScopePicture, APositionBeyondTheSignedRangeDrawsNoTrace) {
  RenderScope(nullptr, 0xFFFFFFF0u, pixels_.data());
  ExpectPicture([](int, int row) { return row == 31 ? kMiddle : kBackground; });
}

TEST_F(ScopePicture, SilenceRunsTheTraceAlongTheMiddleLine) {
  Render(2);
  ExpectPicture([](int, int row) { return row == 31 ? kWhite : kBackground; });
}

TEST_F(ScopePicture, LevelsRoundHalvesToEven) {
  // 512 is level 32.5 and goes to 32: the same picture as silence.
  FillSamples(100, 191, 512);
  Render(100);
  ExpectPicture([](int, int row) { return row == 31 ? kWhite : kBackground; });
  // 1536 is 33.5 and goes to 34, two levels up: row 29. The first segment
  // climbs from the middle line left of the strip, so row 31 stays pale.
  FillSamples(100, 191, 1536);
  Render(100);
  ExpectPicture([](int, int row) {
    return row == 29 ? kWhite : row == 31 ? kMiddle : kBackground;
  });
  // -1536 is 30.5 and goes to 30: row 33.
  FillSamples(100, 191, -1536);
  Render(100);
  ExpectPicture([](int, int row) {
    return row == 33 ? kWhite : row == 31 ? kMiddle : kBackground;
  });
}

TEST_F(ScopePicture, ExtremeSamplesReachTheTopAndBottomEdges) {
  SetSample(4, 10, 32767);   // level 64
  SetSample(4, 50, -32768);  // level 0
  Render(4);
  // The segments into and out of sample 10 cross columns 9 and 10 from the
  // middle line to the top edge; those of sample 50, columns 49 and 50 down
  // to the bottom edge.
  EXPECT_TRUE(At(9, 0) == kWhite);
  EXPECT_TRUE(At(10, 0) == kWhite);
  EXPECT_TRUE(At(49, 63) == kWhite);
  EXPECT_TRUE(At(50, 63) == kWhite);
  for (int row = 0; row < 32; ++row) {
    EXPECT_TRUE(At(9, row) == kWhite || At(10, row) == kWhite) << row;
  }
  for (int row = 32; row < 64; ++row) {
    EXPECT_TRUE(At(49, row) == kWhite || At(50, row) == kWhite) << row;
  }
  EXPECT_TRUE(At(11, 0) == kBackground);
  EXPECT_TRUE(At(8, 0) == kBackground);
}

TEST_F(ScopePicture, TheFirstSegmentStartsLeftOfTheStripOnTheMiddleLine) {
  // Sample 0 at level 0: the segment from (-1, 32) down to it lies left of
  // the strip; the one from it back up to sample 1 fills the lower half of
  // column 0.
  SetSample(8, 0, -32768);
  Render(8);
  ExpectPicture([](int column, int row) {
    if (column == 0) return row >= 32 ? kWhite : row == 31 ? kMiddle : kBackground;
    return row == 31 ? kWhite : kBackground;
  });
}

TEST_F(ScopePicture, Draws191SamplesFromThePlayPosition) {
  // Samples before the position and after the 191st are not drawn.
  FillSamples(0, 50, -32768);
  SetSample(100, 190, 32767);
  SetSample(100, 191, -32768);
  SetSample(100, 192, -32768);
  Render(100);
  ExpectPicture([](int column, int row) {
    if (column == 189) return row < 32 ? kWhite : kBackground;  // up to sample 190
    return row == 31 ? kWhite : kBackground;
  });
}

TEST_F(ScopePicture, KeepsNothingFromOnePictureToTheNext) {
  for (int k = 0; k < 191; ++k) SetSample(300, k, static_cast<int16_t>(k * 331 - 30000));
  Render(300);
  std::vector<uint8_t> first = pixels_;
  Render(0);
  Render(300);
  EXPECT_EQ(pixels_, first);
}

TEST_F(ScopePicture, ReadsSafelyAtTheLastPlayPosition) {
  Render(256002);  // beyond the samples the image holds zeros
  ExpectPicture([](int, int row) { return row == 31 ? kWhite : kBackground; });
}

}  // namespace

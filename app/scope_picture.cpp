#include "scope_picture.h"

#include <cmath>

#include "line_raster.h"

namespace {

constexpr Rgb kBackground = {26, 38, 102};
constexpr Rgb kMiddleLine = {217, 229, 252};
constexpr Rgb kTrace = {255, 255, 255};

constexpr int32_t kSampleDataOffset = 46;

// Levels run from 0 at the bottom edge to 64 at the top. The renderer's
// projection puts level 64 at window y 0, and the picture keeps the rows in
// the order they are read back, so window y 0 is its top row.
int32_t WindowY(int32_t level) { return kScopeHeight - level; }

int16_t SampleAt(const uint8_t *at) {
  return static_cast<int16_t>(at[0] | (at[1] << 8));
}

}  // namespace

void RenderScope(const uint8_t *wav_image, uint32_t play_position,
                 uint8_t *pixels) {
  const Canvas canvas = {kScopeWidth, kScopeHeight, pixels};
  FillCanvas(canvas, kBackground);
  const float baseline = 32.0f;
  int32_t prev_level = static_cast<int32_t>(std::nearbyint(baseline));
  DrawLine(canvas, 0, WindowY(prev_level), kScopeWidth, WindowY(prev_level), kMiddleLine);
  // Signed on purpose: position 0 (nothing playing) draws no trace.
  int32_t read_offset = static_cast<int32_t>(play_position + kSampleDataOffset);
  if (read_offset <= kSampleDataOffset) return;
  const uint8_t *sample_at = wav_image + read_offset;
  for (int32_t column = 0; column <= kScopeWidth; ++column) {
    // Exact in double: 32 + s / 1024, rounded with halves to even.
    int16_t level = static_cast<int16_t>(
        std::nearbyint(SampleAt(sample_at) / 32768.0 * 32.0 + baseline + 0.0));
    DrawLine(canvas, column - 1, WindowY(prev_level), column, WindowY(level), kTrace);
    prev_level = level;
    sample_at += 2;
  }
}

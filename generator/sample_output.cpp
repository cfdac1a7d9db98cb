// The last steps of a sample: the sum of its passes scaled to a level within
// -30000..30000, and that level rounded to a 16-bit sample.
#include "numeric.h"
#include "synth.h"

namespace wubble {

float ScaleOutput(float acc, float volume_gain) {
  acc = float(double(acc) / 8.0f * 0.05f);  // 8 although there are 9 passes
  acc = float(double(acc) * (double(volume_gain) * 2.0f));
  acc = acc * 3.0f;
  if (acc > 1.0f) acc = 1.0f;
  if (!(acc >= -1.0f)) acc = -1.0f;  // a NaN goes to -1, as on the original platform
  return acc * 30000.0f;
}

static void PutSample(uint8_t *out, int16_t sample) {
  out[0] = uint8_t(uint16_t(sample));
  out[1] = uint8_t(uint16_t(sample) >> 8);
}

void ScaleSamples(const float *sums, int32_t count, float volume_gain, uint8_t *out) {
  for (int32_t i = 0; i < count; i++) PutSample(out + 2 * i, int16_t(RoundToInt(ScaleOutput(sums[i], volume_gain))));
}

}  // namespace wubble

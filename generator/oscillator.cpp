#include "oscillator.h"

#include <cmath>

namespace wubble {

void ChooseSinePeriod(SineCache &c, int32_t period_int) {
  if (period_int == c.period) return;
  c.period = period_int;
  if (++c.stamp == 0) {  // after 2^32 changes, start the stamps afresh
    for (uint32_t &stamp : c.stamps) stamp = 0;
    c.stamp = 1;
  }
}

float PlainSine(float frac) { return float(std::sin(double(frac) * 2.0f * 3.1415927f)); }

// Each value by the same expression as FillNoise's, RandomSpan(2) - 1
// rounded to single, widened. Filled by whichever thread comes first.
struct SignedSpanTable {
  double values[10001];
  SignedSpanTable() {
    for (int k = 0; k <= 10000; k++) values[k] = float(k / 10000.0 * double(2.0f) - 1.0f);
  }
};

const double *SignedSpanValues() {
  static const SignedSpanTable table;
  return table.values;
}

void OpenNoise(WubbleGenerator &g) {
  NoiseSource &noise = g.noise;
  noise.open = OpenRandomRun(noise.run, g.random);
  noise.refill = 0;
  noise.values = SignedSpanValues();
}

void CloseNoise(WubbleGenerator &g) {
  NoiseSource &noise = g.noise;
  if (!noise.open) return;
  if (noise.refill != 0) {
    for (uint32_t k = 0; k < 33; k++) g.noise_buffer[k] = float(NoiseAt(g, k));
  }
  CloseRandomRun(noise.run, g.random);
  noise.open = false;
  noise.refill = 0;
}

}  // namespace wubble

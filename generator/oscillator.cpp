#include "oscillator.h"

#include <cmath>

#include "synth.h"

int32_t SquareEdge(int32_t period_int, float duty) {
  if (!(duty == duty)) return 0;
  // Fraction grows with the phase, so a first guess is corrected a step at
  // a time, rarely more than one.
  double guess = double(duty) * period_int;
  int32_t edge = guess <= 0.0 ? 0 : guess >= period_int ? period_int : int32_t(guess);
  while (edge > 0 && !(Fraction(edge - 1, period_int) < duty)) edge--;
  while (edge < period_int && Fraction(edge, period_int) < duty) edge++;
  return edge;
}

void ChooseSinePeriod(SineCache &c, int32_t period_int) {
  if (period_int == c.period) return;
  c.period = period_int;
  if (++c.stamp == 0) {  // after 2^32 changes, start the stamps afresh
    for (uint32_t &stamp : c.stamps) stamp = 0;
    c.stamp = 1;
  }
}

float PlainSine(float frac) { return float(std::sin(double(frac) * 2.0f * 3.1415927f)); }

// Shared by every generator: filled once, by whichever thread comes first.
struct SignedSpanDoubles {
  double values[10001];
  SignedSpanDoubles() {
    const float *spans = SignedSpanValues();
    for (int k = 0; k <= 10000; k++) values[k] = spans[k];
  }
};

void OpenNoise(WubbleGenerator &g) {
  static const SignedSpanDoubles table;
  NoiseSource &noise = g.noise;
  noise.open = OpenRandomRun(noise.run, g.random);
  noise.refill = 0;
  noise.values = table.values;
}

void CloseNoise(WubbleGenerator &g) {
  NoiseSource &noise = g.noise;
  if (!noise.open) return;
  if (noise.refill != 0) {
    for (int32_t k = 0; k < 33; k++) g.noise_buffer[k] = float(NoiseAt(g, k));
  }
  CloseRandomRun(noise.run, g.random);
  noise.open = false;
  noise.refill = 0;
}

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

float sine_values[kSineCacheSize];
uint32_t sine_stamps[kSineCacheSize];
uint32_t sine_stamp;
static int32_t sine_period;

void ChooseSinePeriod(int32_t period_int) {
  if (period_int == sine_period) return;
  sine_period = period_int;
  if (++sine_stamp == 0) {  // after 2^32 changes, start the stamps afresh
    for (uint32_t &stamp : sine_stamps) stamp = 0;
    sine_stamp = 1;
  }
}

float PlainSine(float frac) { return float(std::sin(double(frac) * 2.0f * 3.1415927f)); }

NoiseSource noise;

static const double *SignedSpanDoubles() {
  static double table[10001];
  static bool filled = false;
  if (!filled) {
    const float *values = SignedSpanValues();
    for (int k = 0; k <= 10000; k++) table[k] = values[k];
    filled = true;
  }
  return table;
}

void OpenNoise() {
  noise.open = OpenRandomRun(noise.run);
  noise.refill = -1;
  noise.values = SignedSpanDoubles();
}

void CloseNoise() {
  if (!noise.open) return;
  if (noise.refill >= 0) {
    for (int32_t k = 0; k < 33; k++) NoiseBuffer[k] = float(NoiseAt(k));
  }
  CloseRandomRun(noise.run);
  noise.open = false;
  noise.refill = -1;
}


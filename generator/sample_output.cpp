// The last steps of a sample: the sum of its passes scaled to a level within
// -30000..30000, and that level rounded to a 16-bit sample.
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "numeric.h"
#include "synth.h"

float ScaleOutput(float acc, float volume_gain) {
  acc = float(double(acc) / 8.0f * 0.05f);  // 8 although there are 9 passes
  acc = float(double(acc) * (double(volume_gain) * 2.0f));
  acc = acc * 3.0f;
  if (acc > 1.0f) acc = 1.0f;
  if (!(acc >= -1.0f)) acc = -1.0f;  // a NaN goes to -1, as on the original platform
  return acc * 30000.0f;
}

int16_t ToSample(float level) { return int16_t(RoundToInt(level)); }

static void PutSample(uint8_t *out, int16_t sample) {
  out[0] = uint8_t(uint16_t(sample));
  out[1] = uint8_t(uint16_t(sample) >> 8);
}

#ifdef __SSE2__
// Four sums at a time, each operation the packed form of ScaleOutput's:
// the same roundings, lane by lane. Division by 8 is exact, so it is a
// multiplication by 0.125; min and max compare in the order that keeps
// ScaleOutput's answers for NaN; the conversion rounds to nearest, halves
// to even, as RoundToInt does.
static void ScaleFour(const float *acc, __m128d gain2, uint8_t *out) {
  const __m128d eighth = _mm_set1_pd(0.125), twentieth = _mm_set1_pd(double(0.05f));
  __m128 sums = _mm_loadu_ps(acc);
  __m128d low = _mm_cvtps_pd(sums), high = _mm_cvtps_pd(_mm_movehl_ps(sums, sums));
  low = _mm_mul_pd(_mm_mul_pd(low, eighth), twentieth);
  high = _mm_mul_pd(_mm_mul_pd(high, eighth), twentieth);
  __m128 scaled = _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
  low = _mm_mul_pd(_mm_cvtps_pd(scaled), gain2);
  high = _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(scaled, scaled)), gain2);
  scaled = _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
  scaled = _mm_mul_ps(scaled, _mm_set1_ps(3.0f));
  scaled = _mm_min_ps(_mm_set1_ps(1.0f), scaled);   // (1 < x) ? 1 : x
  scaled = _mm_max_ps(scaled, _mm_set1_ps(-1.0f));  // (x > -1) ? x : -1
  scaled = _mm_mul_ps(scaled, _mm_set1_ps(30000.0f));
  __m128i samples = _mm_cvtps_epi32(scaled);
  _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packs_epi32(samples, samples));
}
#endif

void ScaleSamplesInto(const float *acc, int32_t count, float volume_gain, uint8_t *out) {
  int32_t i = 0;
#ifdef __SSE2__
  const __m128d gain2 = _mm_set1_pd(double(volume_gain) * 2.0f);
  for (; i + 4 <= count; i += 4) ScaleFour(acc + i, gain2, out + 2 * i);
#endif
  for (; i < count; i++) PutSample(out + 2 * i, ToSample(ScaleOutput(acc[i], volume_gain)));
}

#include "processor.h"

#include "compiler.h"

bool avx2_builds_allowed = true;

bool UseAvx2Builds() {
#if WUBBLE_AVX2_BUILDS
  // Also checks that the system saves the wide registers.
  static const bool has_avx2 = __builtin_cpu_supports("avx2");
  return avx2_builds_allowed && has_avx2;
#else
  return false;
#endif
}

#include "processor.h"

#include "compiler.h"

InstructionSet widest_set_allowed = kAvx512Set;

static InstructionSet ProcessorSet() {
#if WUBBLE_WIDE_BUILDS
  // These also check that the system saves the wide registers.
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl")) return kAvx512Set;
  if (__builtin_cpu_supports("avx2")) return kAvx2Set;
#endif
  return kBaselineSet;
}

InstructionSet InstructionSetInUse() {
  static const InstructionSet processor = ProcessorSet();
  return processor < widest_set_allowed ? processor : widest_set_allowed;
}

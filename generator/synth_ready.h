// Library callers never call AllocateSynthArrays, so the entries allocate
// the work arrays on first use. The app still allocates them at start-up.
#pragma once
#include "synth.h"

// False when the arrays cannot be had: nothing may be rendered then.
inline bool PrepareSynthArrays() {
  if (!StageLengths || !PhaserBuffer || !NoiseBuffer) AllocateSynthArrays();
  return StageLengths && PhaserBuffer && NoiseBuffer;
}

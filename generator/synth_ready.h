// Library callers never call AllocateSynthArrays, so the entries allocate
// the default generator's work arrays on first use. The app still allocates
// them at start-up.
#pragma once
#include "generator.h"

// False when the arrays cannot be had: nothing may be rendered then.
inline bool PrepareSynthArrays(WubbleGenerator &g) {
  if (!g.stage_lengths || !g.phaser_buffer || !g.noise_buffer) AllocateSynthArrays(g);
  return g.stage_lengths && g.phaser_buffer && g.noise_buffer;
}

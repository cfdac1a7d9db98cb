#include "generator.h"

#include <cstdlib>
#include <new>
#include <type_traits>

namespace wubble {

// A generator is made by zeroing it; nothing may need a constructor.
static_assert(std::is_trivial<WubbleGenerator>::value, "a zeroed generator is a fresh one");

WubbleGenerator *NewGenerator() {
  WubbleGenerator *g = new (std::nothrow) WubbleGenerator();  // value-initialised: zeroed
  if (!g) return nullptr;
  if (PrepareSynthArrays(*g)) return g;
  FreeGenerator(g);
  return nullptr;
}

void FreeGenerator(WubbleGenerator *g) {
  if (!g) return;
  std::free(g->stage_lengths);
  std::free(g->phaser_buffer);
  std::free(g->noise_buffer);
  delete g;
}

}  // namespace wubble

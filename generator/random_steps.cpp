#include "random.h"

namespace wubble {

void MakeRandomSteps(uint32_t *first, uint32_t *second, int32_t begin, int32_t end) {
  for (int32_t p = begin; p < end; p++) {
    first[p] = RotateLeft(second[p - 17], 27) + second[p - 10];
    second[p] = RotateLeft(first[p - 17], 19) + first[p - 10];
  }
}

}  // namespace wubble

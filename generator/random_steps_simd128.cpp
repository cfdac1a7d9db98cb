// The random steps four positions at a time, for the WebAssembly build (built
// with -msimd128): its compiler does not see that a step reads no position
// less than 10 back, and makes them one at a time, at about a quarter of a
// noise sound's render time.
#include <wasm_simd128.h>

#include "random.h"

namespace wubble {

static v128_t RotateLeft(v128_t w, int n) {
  return wasm_v128_or(wasm_i32x4_shl(w, n), wasm_u32x4_shr(w, 32 - n));
}

void MakeRandomSteps(uint32_t *first, uint32_t *second, int32_t begin, int32_t end) {
  for (int32_t p = begin; p < end; p += 4) {
    v128_t made_first = wasm_i32x4_add(RotateLeft(wasm_v128_load(second + p - 17), 27),
                                       wasm_v128_load(second + p - 10));
    v128_t made_second = wasm_i32x4_add(RotateLeft(wasm_v128_load(first + p - 17), 19),
                                        wasm_v128_load(first + p - 10));
    wasm_v128_store(first + p, made_first);
    wasm_v128_store(second + p, made_second);
  }
}

}  // namespace wubble

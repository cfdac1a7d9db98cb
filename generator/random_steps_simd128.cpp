// The random steps four positions at a time, for the WebAssembly build (built
// with -msimd128): its compiler does not see that a step reads no position
// less than 10 back, and makes them one at a time, at about a quarter of a
// noise sound's render time.
//
// The 20 positions before the four being made stay in registers, as five
// groups of four, rather than being read back from the arrays: a read of
// four positions that straddles two groups stored a moment before waits
// for both stores to finish.
#include <wasm_simd128.h>

#include "random.h"

namespace wubble {

static v128_t RotateLeft(v128_t w, int n) {
  return wasm_v128_or(wasm_i32x4_shl(w, n), wasm_u32x4_shr(w, 32 - n));
}

// Positions p - 20 .. p - 1 of one array, four to a group, oldest first.
struct Window {
  v128_t group[5];
};

static Window LoadWindow(const uint32_t *words, int32_t p) {
  // Only the newest lane of the oldest group is read (position p - 17), and
  // a run has no position before 0.
  return Window{{wasm_i32x4_splat(words[p - 17]), wasm_v128_load(words + p - 16),
                 wasm_v128_load(words + p - 12), wasm_v128_load(words + p - 8),
                 wasm_v128_load(words + p - 4)}};
}

// Positions p - 17 .. p - 14 and p - 10 .. p - 7.
static v128_t Back17(const Window &w) { return wasm_i32x4_shuffle(w.group[0], w.group[1], 3, 4, 5, 6); }
static v128_t Back10(const Window &w) { return wasm_i32x4_shuffle(w.group[2], w.group[3], 2, 3, 4, 5); }

static void Advance(Window &w, v128_t made) {
  w.group[0] = w.group[1];
  w.group[1] = w.group[2];
  w.group[2] = w.group[3];
  w.group[3] = w.group[4];
  w.group[4] = made;
}

void MakeRandomSteps(uint32_t *first, uint32_t *second, int32_t begin, int32_t end) {
  Window f = LoadWindow(first, begin), s = LoadWindow(second, begin);
  for (int32_t p = begin; p < end; p += 4) {
    v128_t made_first = wasm_i32x4_add(RotateLeft(Back17(s), 27), Back10(s));
    v128_t made_second = wasm_i32x4_add(RotateLeft(Back17(f), 19), Back10(f));
    wasm_v128_store(first + p, made_first);
    wasm_v128_store(second + p, made_second);
    Advance(f, made_first);
    Advance(s, made_second);
  }
}

}  // namespace wubble

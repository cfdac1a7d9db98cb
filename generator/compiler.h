// How the synthesis asks the compiler to place its hot functions.
#pragma once

#if defined(__GNUC__)
#define WUBBLE_INLINE [[gnu::always_inline]] inline
#define WUBBLE_NOINLINE [[gnu::noinline]]
// For a lambda, after its parameters: the passes' lambdas must be inlined
// for their locals to stay in registers.
#define WUBBLE_LAMBDA_INLINE __attribute__((always_inline))
#else
#define WUBBLE_INLINE inline
#define WUBBLE_NOINLINE
#define WUBBLE_LAMBDA_INLINE
#endif

// Whether a sample's fast passes also run the next sample's oscillator, a
// step a pass. Natively that fills the time each pass waits for the one
// before. A WebAssembly engine runs short of registers for the two, and the
// loop is then up to a fifth slower than with the oscillator run first.
#if defined(__wasm__)
#define WUBBLE_OSCILLATOR_IN_PASSES 0
#else
#define WUBBLE_OSCILLATOR_IN_PASSES 1
#endif

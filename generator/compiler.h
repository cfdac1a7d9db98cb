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

// How the synthesis asks the compiler to place its hot functions.
#pragma once

#if defined(__GNUC__)
#define WUBBLE_INLINE [[gnu::always_inline]] inline
#define WUBBLE_NOINLINE [[gnu::noinline]]
// For a lambda, after its parameters. A lambda does not take the target of
// the function around it, and the compiler will not always inline it into
// a function built for a wider target unless told to.
#define WUBBLE_LAMBDA_INLINE __attribute__((always_inline))
#else
#define WUBBLE_INLINE inline
#define WUBBLE_NOINLINE
#define WUBBLE_LAMBDA_INLINE
#endif

// Whether the hottest loops also have builds for wider instruction sets,
// chosen at run time (see processor.h): x86-64 compilers that take a
// per-function target, when the whole build does not already assume AVX2.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__AVX2__)
#define WUBBLE_WIDE_BUILDS 1
#define WUBBLE_AVX2_TARGET [[gnu::target("avx2")]]
#define WUBBLE_AVX512_TARGET [[gnu::target("avx2,avx512f,avx512vl")]]
#else
#define WUBBLE_WIDE_BUILDS 0
#define WUBBLE_AVX2_TARGET
#define WUBBLE_AVX512_TARGET
#endif

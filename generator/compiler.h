// How the synthesis asks the compiler to place its hot functions.
#pragma once

#if defined(__GNUC__)
#define WUBBLE_INLINE [[gnu::always_inline]] inline
#define WUBBLE_NOINLINE [[gnu::noinline]]
#else
#define WUBBLE_INLINE inline
#define WUBBLE_NOINLINE
#endif

// The ranges of the three numbers wherever a person types them: the
// arguments and the batch lists of wubble-render, and the call text pasted
// into the window. The generator itself takes any value; these keep a typing
// slip from holding a program busy for minutes (a mutation round takes about
// 0.2 microseconds, so 1000000 of them stay well under a second).
#pragma once
#include <cstdint>

struct TypedRange {
  const char *name;
  int64_t lowest, highest;
};

// Seeds are 32-bit patterns: -1 and 4294967295 name the same seed.
constexpr TypedRange kSeedRange = {"seed", INT32_MIN, UINT32_MAX};
constexpr TypedRange kMutationsRange = {"mutations", 0, 1000000};
constexpr TypedRange kVolumeRange = {"volume", -128, 127};

inline bool InTypedRange(const TypedRange &range, int64_t value) {
  return value >= range.lowest && value <= range.highest;
}

// The 32-bit value a typed number in its range stands for.
inline int32_t TypedValue(int64_t value) { return int32_t(uint32_t(uint64_t(value))); }

// The render loop and the bulk random steps have a second build for
// processors with AVX2: three-operand instructions need no register copies,
// and eight random steps go at once. Each build computes the same bits;
// only the instructions differ (no fused multiply-add).
#pragma once

// Cleared by tests to run the builds for any x86-64 processor here too.
extern bool avx2_builds_allowed;

// Whether the AVX2 builds run: allowed, built, and the processor has AVX2.
bool UseAvx2Builds();

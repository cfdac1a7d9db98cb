// The render loop and the bulk random steps have builds for wider
// instruction sets: with AVX2, three-operand instructions need no register
// copies and eight random steps go at once; with AVX-512 those steps take
// a third fewer instructions. Every build computes the same bits; only the
// instructions differ (no fused multiply-add).
#pragma once

enum InstructionSet { kBaselineSet, kAvx2Set, kAvx512Set };

// Lowered by tests to run the narrower builds on this processor too.
extern InstructionSet widest_set_allowed;

// The widest set that is allowed, built and on this processor.
InstructionSet InstructionSetInUse();

// wubble-render --batch LIST -d DIR [-j N]: many sounds in one run. LIST (a
// file, or - for standard input) names one sound a line,
//   SEED [MUTATIONS [VOLUME]] [NAME]
// and each is written as the first sound of a run to DIR/NAME.wav (by
// default SEED_MUTATIONS_VOLUME.wav), on N threads with a generator each
// (by default one thread per processor).
#pragma once
#include <cstdint>
#include <string>

// One line of the list. A token that starts like a number (a digit, or a
// sign and a digit) is one of the numbers, up to three of them, and must be
// a valid one; the first other token, or a fourth, is the NAME.
struct BatchSound {
  int32_t line = 0;  // from 1
  int32_t seed = 0;
  int32_t mutations = 0;
  int32_t volume = 5;  // as the app starts
  std::string name;    // without .wav
};

enum BatchLineKind { kBlankLine, kSoundLine, kBadLine };

// Parses one line (without its end). A bad line gets `error`, which says
// what was wrong with it.
BatchLineKind ParseBatchLine(const std::string &text, BatchSound *out, std::string *error);

// argv[1] is "--batch". Returns the exit status: 0 when every sound was
// written, 1 when a line, a file or DIR failed, 2 for a bad command line.
int RunBatch(int argc, char **argv);

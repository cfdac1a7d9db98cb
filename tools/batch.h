// wubble-render --batch LIST -d DIR [-j N]: many sounds in one run. LIST (a
// file, or - for standard input) names one sound a line,
//   SEED [MUTATIONS [VOLUME]] [NAME]
// and each is written as the first sound of a run to DIR/NAME.wav (by
// default SEED_MUTATIONS_VOLUME.wav), on N threads with a generator each
// (by default one thread per processor).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Each thread holds a generator and an image, about 0.85 MB; more threads
// than this would only cost memory.
constexpr int kMostBatchThreads = 64;

// A longer line is reported and skipped without being kept.
constexpr size_t kLongestListLine = 4096;

// One line of the list. A token that starts like a number (a digit, or a
// sign and a digit) is one of the numbers, up to three of them, and must be
// a valid one; the first other token, or a fourth, is the NAME.
struct BatchSound {
  int64_t line = 0;  // from 1
  int32_t seed = 0;
  int32_t mutations = 0;
  int32_t volume = 5;  // as the app starts
  std::string name;    // without .wav
};

// Reads the list from `file`, which names it `shown_name` in messages. Lines
// end at LF, CRLF or a lone CR; a UTF-8 byte-order mark before the first is
// skipped; blank lines and lines whose first token starts with # say
// nothing. A bad line, a line longer than kLongestListLine and a NAME an
// earlier line has are reported on standard error by their number and left
// out, setting `bad`. False, with a message, when the list cannot be read.
bool ReadBatchList(std::FILE *file, const std::string &shown_name, std::vector<BatchSound> *sounds,
                   bool *bad);

// argv[1] is "--batch". Returns the exit status: 0 when every sound was
// written, 1 when a line, a file or DIR failed, 2 for a bad command line.
int RunBatch(int argc, char **argv);

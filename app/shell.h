// The program's main line: the three user values, the refresh mode, and the
// loop that turns control events into sounds.
#pragma once
#include <cstdint>

enum ControlId : int32_t {
  RandomButton = 1,
  SeedField = 2,
  SeedMinusButton = 3,
  SeedPlusButton = 4,
  PlayButton = 5,
  MutateButton = 6,
  CodeField = 7,
  VolumeLabel = 8,
  VolumeBar = 9,
  ScopeImage = 999,
};

enum RefreshMode : int32_t {
  RefreshNone = 0,
  RefreshRewriteSeed = 1,   // regenerate, then write the seed into its field
  RefreshKeepSeedText = 2,  // regenerate, leave the field as the user typed it
};

struct ShellState {
  int32_t seed;
  int32_t mutations;
  int8_t volume;      // volume bar position, 0..127
  int32_t refresh;    // a RefreshMode
  int32_t event;      // what the wait of the current pass returned
  uint8_t *wav_copy;  // wubble-scope: the current WAV image, read by the scope
};

extern ShellState shell;

constexpr int32_t kWavCopyBytes = 2600000;

void StartUp();
// One pass of the event loop; false after the pass that saw CloseEvent.
bool RunLoopPass();
void ShutDown();

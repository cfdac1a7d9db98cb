// Plays one sound through the Wubble library and waits until it has ended.
//
//   play_sound [SEED [MUTATIONS [VOLUME]]]
//
// Build: see examples/CMakeLists.txt, or
//   c++ play_sound.cpp $(pkg-config --cflags --libs wubble)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <wubble.h>

int main(int argc, char **argv) {
  // The tool starts at CreateWubble(9837320,0,5,1).
  int32_t seed = argc > 1 ? int32_t(std::strtoll(argv[1], nullptr, 10)) : 9837320;
  int32_t mutations = argc > 2 ? int32_t(std::strtol(argv[2], nullptr, 10)) : 0;
  int32_t volume = argc > 3 ? int32_t(std::strtol(argv[3], nullptr, 10)) : 5;

  // Without a device every call below still works and nothing is heard.
  InitSoundOutput();
  CreateWubble(seed, mutations, volume, 1);  // the call the tool shows
  if (!StartSound(1)) {
    std::puts("no audio device: nothing to hear");
    ReleaseSounds();
    return 0;
  }
  std::puts("playing");

  // The cursor moves while the sound is heard and drops to 0 when it ends.
  // No sound is longer than 128001 samples (2.9 s), which bounds the wait.
  using Clock = std::chrono::steady_clock;
  auto give_up = Clock::now() + std::chrono::milliseconds(3500);
  uint32_t furthest = 0;
  while (Clock::now() < give_up) {
    uint32_t cursor = SoundCursor(1);
    if (cursor == 0 && furthest > 0) break;
    if (cursor > furthest) furthest = cursor;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::printf("played %u bytes\n", unsigned(furthest));
  ReleaseSounds();
  return 0;
}

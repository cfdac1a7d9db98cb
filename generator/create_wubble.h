// The generator entry: builds a sound, loads it into a sound slot ready to
// play and optionally leaves a copy of its 260000-byte WAV image in `dest`.
#pragma once
#include <cstdint>

int32_t CreateWubble(int32_t seed, int32_t mutations, int32_t volume,
                     int32_t slot, uint8_t *dest);
int32_t CreateWubble(int32_t seed, int32_t mutations, int32_t volume,
                     int32_t slot);

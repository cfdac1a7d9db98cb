// The oscilloscope picture as a pure function of the WAV image and the play
// position.
#pragma once
#include <cstdint>

constexpr int32_t kScopeWidth = 190;
constexpr int32_t kScopeHeight = 64;
constexpr int32_t kScopeBytes = kScopeWidth * kScopeHeight * 3;

// Draws into `pixels` (kScopeBytes, RGB, top row first): background, the
// middle line, and for a play position above 0 the white trace of the 191
// samples of `wav_image` from its sample data plus `play_position` on.
void RenderScope(const uint8_t *wav_image, uint32_t play_position,
                 uint8_t *pixels);
